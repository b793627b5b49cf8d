// Chapter 1's wave table in the real play frame: the object lists, the craft,
// the built data.dll and the OpenGL back end, headless. The test steps the
// waves frame by frame and looks at the pictures: every enemy and bullet that
// stands in view is drawn where it is, and nothing else lights the field.
// The pictures are kept under the build folder's tests/snapshots.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "../gfx/gfx_fixture.h"
#include "app/Play.h"
#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "enemy/EnemyShot.h"
#include "enemy/EnemyWaves.h"
#include "enemy/Raptor.h"
#include "enemy/Zab.h"
#include "platform/Resources.h"
#include "player/MyKorvo.h"
#include "stage/Camera.h"
#include "stage/World.h"

namespace {

bool Lit(uint32_t c) { return R8(c) + G8(c) + B8(c) > 48; }

class WaveSceneTest : public CDeviceTest {
protected:
    void SetUp() override
    {
        const std::string dll = std::string(MZ_BIN_DIR) + "/data.dll";
        std::string message;
        ASSERT_TRUE(OpenResourceLibraryFile(dll, &message)) << message;
        ASSERT_TRUE(Open());
        g_pDevice = m_Device.get();
        g_pDeviceLink = m_Device.get();
        LoadAssetSet();
        CreateWorldObjects();
        g_Camera.Reset();
        g_GameRand.Seed(1024);
        g_GameRand.ClearLockedDraws();
        ASSERT_NE(g_pPlayer, nullptr);
        g_pPlayer->Reset();
        g_pPlayer->SetPos(Vec3{0.0f, -3.0f, 0.0f});
        // Held still by the script, so that no hit clears the bullets and the
        // pictures are those of the waves alone.
        g_pPlayer->SetScripted(true);
    }

    void TearDown() override
    {
        ClearWorld();
        DeleteAll(g_EnemyShotList);
        ReleaseWorldObjects();
        ReleaseAssetSet();
        g_pDevice = nullptr;
        g_pDeviceLink = nullptr;
        CloseResourceLibrary();
        CDeviceTest::TearDown();
    }

    // One frame of play at wave frame f, as the game draws it.
    void PlayFrame(int f)
    {
        EnemyWaveScript(0, 1, f);
        m_Device->Update();
        m_Device->BeginFrame();
        g_Camera.Step();
        DrawPlay();
        m_Device->ClearDepth();
        m_Device->SetFullScreenViewport();
        m_Device->EndFrame();
    }

    // Where a world point lands on the screen, through the device's view and
    // projection and the play field's viewport.
    bool Project(const Vec3& p, int& px, int& py) const
    {
        const Matrix& v = m_Device->GetTransform(ETransform::View);
        const Matrix& pr = m_Device->GetTransform(ETransform::Projection);
        Matrix vp;
        MatrixMultiply(vp, v, pr);
        float c[4];
        for (int j = 0; j < 4; ++j)
            c[j] = p.x * vp.m[0][j] + p.y * vp.m[1][j] + p.z * vp.m[2][j] + vp.m[3][j];
        if (c[3] <= 0.0f) return false;
        const float nx = c[0] / c[3], ny = c[1] / c[3];
        px = 140 + static_cast<int>((nx + 1.0f) * 0.5f * 360.0f);
        py = static_cast<int>((1.0f - ny) * 0.5f * 480.0f);
        return px >= 150 && px < 490 && py >= 10 && py < 470;
    }

    static bool LitNear(const std::vector<uint32_t>& px, int x, int y, int r)
    {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (Lit(At(px, x + dx, y + dy))) return true;
        return false;
    }

    void Snapshot(int f)
    {
        const std::string dir = std::string(MZ_BIN_DIR) + "/../tests/snapshots";
        std::filesystem::create_directories(dir);
        char name[64];
        std::snprintf(name, sizeof name, "/waves-chapter1-%04d.png", f);
        EXPECT_TRUE(m_Device->SaveSnapshotPng(dir + name));
    }

    struct SSeen {
        int nZabs = 0, nRaptors = 0, nBullets = 0;
    };

    // Every alive enemy and bullet in view is drawn at its place; the field
    // is dark farther than `reach` pixels from all of them and the craft.
    SSeen CheckPicture(int f)
    {
        SCOPED_TRACE(f);
        const std::vector<uint32_t> px = Pixels();
        SSeen seen;
        std::vector<std::pair<int, int>> marks;
        auto mark = [&](const CObject* o, int reach, int* count) {
            int x, y;
            if (!Project(o->m_vPos, x, y)) return;
            marks.emplace_back(x, y);
            if (o->m_nState != CObject::STATE_ALIVE) return;
            EXPECT_TRUE(LitNear(px, x, y, reach)) << "nothing drawn at " << x << ", " << y;
            if (count) ++*count;
        };
        for (int i = 0; i < g_EnemyList.Count(); ++i) {
            const CObject* o = g_EnemyList.At(i);
            mark(o, 6, dynamic_cast<const CRaptor*>(o) ? &seen.nRaptors : &seen.nZabs);
        }
        for (int i = 0; i < g_EnemyShotList.Count(); ++i) mark(g_EnemyShotList.At(i), 3, &seen.nBullets);
        mark(g_pPlayer, 6, nullptr);
        for (int i = 0; i < g_EffectList.Count(); ++i) mark(g_EffectList.At(i), 0, nullptr);
        for (int i = 0; i < g_ScoreItemList.Count(); ++i) mark(g_ScoreItemList.At(i), 0, nullptr);
        int stray = 0;
        for (int y = 20; y < 460; y += 2) {
            for (int x = 150; x < 490; x += 2) {
                if (!Lit(At(px, x, y))) continue;
                bool near = false;
                for (const auto& m : marks) near = near || (std::abs(m.first - x) <= 40 && std::abs(m.second - y) <= 40);
                stray += !near;
            }
        }
        EXPECT_EQ(stray, 0) << "lit pixels far from every object";
        return seen;
    }
};

TEST_F(WaveSceneTest, ChapterOneWavesAreDrawnWhereTheyFly)
{
    struct SShot {
        int nFrame;
        const char* szWhat;
        int nMinZabs, nMinRaptors, nMinBullets;
    };
    const SShot shots[] = {
        {0, "the craft alone: the first formation is still above the field", 0, 0, 0},
        {110, "the first formation curving in from the upper right", 4, 0, 0},
        {600, "formations from both sides crossing", 8, 0, 0},
        {930, "a raptor gliding in, its scatter shot on its way down", 0, 1, 10},
        {1170, "two raptors and their scatter shots", 0, 2, 20},
    };
    size_t next = 0;
    for (int f = 0; f <= shots[std::size(shots) - 1].nFrame; ++f) {
        PlayFrame(f);
        if (shots[next].nFrame != f) continue;
        SCOPED_TRACE(shots[next].szWhat);
        Snapshot(f);
        const SSeen seen = CheckPicture(f);
        EXPECT_GE(seen.nZabs, shots[next].nMinZabs);
        EXPECT_GE(seen.nRaptors, shots[next].nMinRaptors);
        EXPECT_GE(seen.nBullets, shots[next].nMinBullets);
        ++next;
    }
    EXPECT_EQ(next, std::size(shots));
    // Nothing drawn took a number from the game's generator.
    EXPECT_EQ(g_GameRand.LockedDraws(), 0);
}

// Bullets are drawn in the play plane, as their shape says: a round bullet is
// a square of its size lying in X/Y, a long one a 0.175 x 0.35 strip turned
// along its flight. Seen by a camera tilted far off the field's axis (as in
// the boss entries, the approach and the result screen), each is foreshortened
// like the plane it flies in; one turned to face the camera would not be.
TEST_F(WaveSceneTest, BulletsLieInThePlayPlaneUnderATiltedCamera)
{
    struct SCase {
        const char* szWhat;
        int nShape, nSize;
        Vec3 vVel;
        float fAcross, fAlong;   // the quad's size across and along the flight (round: the picture)
    } cases[] = {
        {"a large round bullet", CEnemyShot::SHAPE_ROUND, CEnemyShot::SIZE_LARGE, {0.0f, -0.05f, 0.0f}, 0.8f, 0.8f},
        {"a long bullet flying right", CEnemyShot::SHAPE_LONG, CEnemyShot::SIZE_SMALL, {0.05f, 0.0f, 0.0f}, 0.175f, 0.35f},
        {"a long bullet flying down", CEnemyShot::SHAPE_LONG, CEnemyShot::SIZE_SMALL, {0.0f, -0.05f, 0.0f}, 0.175f, 0.35f},
    };
    // From low behind the craft, looking up the field: about 60 degrees off
    // the straight-down view.
    Matrix tilted;
    ASSERT_TRUE(MatrixLookAtLH(tilted, Vec3{0.0f, -8.0f, -4.5f}, Vec3{0.0f, 0.0f, 0.0f}, Vec3{0.0f, 1.0f, 0.0f}));
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.szWhat);
        Vec3 dir = c.vVel;
        CEnemyShot* shot = EmitShotVelocity(Vec3{}, dir, c.nShape, 0);
        shot->m_nSize = c.nSize;
        m_Device->BeginFrame();
        m_Device->SetPlayFieldViewport();
        m_Device->SetTransform(ETransform::View, tilted);
        shot->Draw();
        m_Device->SetFullScreenViewport();
        m_Device->EndFrame();
        const std::vector<uint32_t> px = Pixels();
        DeleteAll(g_EnemyShotList);

        int x0 = 640, x1 = -1, y0 = 480, y1 = -1;
        for (int y = 0; y < 480; ++y) {
            for (int x = 140; x < 500; ++x) {
                if (!Lit(At(px, x, y))) continue;
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
        }
        ASSERT_GE(x1, x0) << "nothing drawn";
        // Where the corners of the quad in the play plane land.
        const bool across = std::fabs(c.vVel.x) > std::fabs(c.vVel.y);
        const float hx = 0.5f * (across ? c.fAlong : c.fAcross), hy = 0.5f * (across ? c.fAcross : c.fAlong);
        int ex0 = 640, ex1 = -1, ey0 = 480, ey1 = -1;
        for (const Vec3& corner : {Vec3{-hx, -hy, 0.0f}, Vec3{hx, -hy, 0.0f}, Vec3{-hx, hy, 0.0f}, Vec3{hx, hy, 0.0f}}) {
            int x, y;
            ASSERT_TRUE(Project(corner, x, y));
            ex0 = std::min(ex0, x), ex1 = std::max(ex1, x);
            ey0 = std::min(ey0, y), ey1 = std::max(ey1, y);
        }
        // The picture's soft rim may stay dark: the drawing lies within the
        // quad's outline and has its proportions.
        EXPECT_GE(x0, ex0 - 1);
        EXPECT_LE(x1, ex1 + 1);
        EXPECT_GE(y0, ey0 - 1);
        EXPECT_LE(y1, ey1 + 1);
        const double seen = double(y1 - y0 + 1) / (x1 - x0 + 1), plane = double(ey1 - ey0 + 1) / (ex1 - ex0 + 1);
        EXPECT_NEAR(seen, plane, 0.2 * plane) << "drawn " << x1 - x0 + 1 << " x " << y1 - y0 + 1 << ", the plane gives "
                                              << ex1 - ex0 + 1 << " x " << ey1 - ey0 + 1;
    }
}

}  // namespace
