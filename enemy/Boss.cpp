#include "enemy/Boss.h"

#include <algorithm>

#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "enemy/BarrageFire.h"
#include "enemy/Bit2.h"
#include "gfx/BG2D.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Model.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Texture.h"
#include "persist/GlobalResult.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "player/ShockWave.h"
#include "player/Spark.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"
#include "stage/Cutin.h"
#include "stage/Fader.h"
#include "stage/Flare.h"
#include "stage/HudDigits.h"
#include "stage/StageEvents.h"
#include "stage/WorldEvents.h"

namespace {

// Where a barrage is fought from, and where a boss out of time withdraws to.
const Vec3 kBattlePoint{0.0f, 3.0f, 0.0f};
const Vec3 kWithdrawPoint{0.0f, 6.0f, 0.0f};

constexpr int kCutinPicture = 170;
constexpr int kBonusPicture = 352;
constexpr int kNoBonusPicture = 130;
// The swipe's sounds: the craft's own blade sounds, heard from the boss.
constexpr int kSwingSE = 115;
constexpr int kStrikeSE = 116;
constexpr int kBreakSE = 107;     // a barrage's hit points run out
constexpr int kClearedSE = 168;   // then the bonus, or none
constexpr int kDeathSE = 102;

// The backdrop behind a barrage: the first 2D layer, the one the play frame draws.
CBG2D& Backdrop() { return g_BG2D[0]; }

void FlashFader()
{
    if (g_pFader) g_pFader->FlashWhite();
}

// The swipe's reach, tested one probe at a time.
CObject& SwipeProbe()
{
    static CObject s_Probe;
    s_Probe.m_fRadius = CBlade::kProbeRadius;
    return s_Probe;
}

}  // namespace

CBoss::CBoss(const SBossDesign& design) : CEnemy(g_pBossModel), m_Design(design)
{
    m_fRadius = 0.4f;
    g_nBarrageIndex = -1;
    SetPos(design.vStart);
    for (auto& fire : m_pBossFire) fire = std::make_unique<CBarrageFire>(this);
    m_pEmblem = FindTexture(design.nEmblem);
    m_Blade.Kill();   // dormant until the craft comes close
}

CBoss::~CBoss() = default;

void CBoss::Enter()
{
    SetPhase(PHASE_ENTRY);
    if (g_pPlayer) SetRot(FaceToward(g_pPlayer));
}

void CBoss::StandBefore(int phase, int framesLeft)
{
    const int before = phase - 1;
    if (before != PHASE_ENTRY) SetPhase(before);
    // Timer and age as an update leaves them: the entry counts from the boss's
    // creation, a pause from the update that began it.
    const int length = before == PHASE_ENTRY ? m_Design.nEntryTime : kPauseFrames + 1;
    m_nTimer = framesLeft;
    m_nAge = length - framesLeft;
    m_nScore = DecayedScore(0);   // the floor, reached on its 30th frame
    SetPos(kBattlePoint);
    if (g_pPlayer) SetRot(FaceToward(g_pPlayer));
    SettleParts(before);
    m_bOneBarrage = true;
}

int CBoss::LastBarragePhase() const { return m_Design.barrages.back().nPhase; }

const SBarrageRow* CBoss::BarrageRow(int phase) const
{
    for (const SBarrageRow& row : m_Design.barrages)
        if (row.nPhase == phase) return &row;
    return nullptr;
}

// --- phases -------------------------------------------------------------------------

void CBoss::SetPhase(int phase)
{
    m_nPhase = phase;
    m_nAge = 0;
    for (int i = 0; i < 3; ++i) m_pBossFire[i]->SetPattern(-1);
    if (phase != PHASE_FINAL && g_pPlayer) g_pPlayer->m_bClean = true;

    if (phase == PHASE_ENTRY) {
        SetEntering(true);
        m_nHp = 0;
        m_nMaxHp = 1;
        MoveTo(kBattlePoint, 240);
        Backdrop().SetTexture(nullptr);
        m_nTimer = m_Design.nEntryTime;
        if (m_Design.bEntryEndsBarrage) g_nBarrageIndex = -1;
    } else if (const SBarrageRow* row = BarrageRow(phase)) {
        StartBarrage(*row);
    } else if (phase % 2 == 0 && phase >= 2 && phase <= 16) {
        StartPause();
    } else if (phase == PHASE_FINAL) {
        g_nBarrageIndex = -1;
        Backdrop().SetTexture(nullptr);
    }
}

void CBoss::StartBarrage(const SBarrageRow& row)
{
    m_bInvulnerable = false;
    m_bEntering = false;
    m_nHp = m_nMaxHp = row.nHp;
    m_nTimer = row.nTime;
    for (int i = 0; i < 3; ++i)
        if (row.nPattern[i] >= 0) m_pBossFire[i]->SetPattern(row.nPattern[i]);
    g_nBarrageIndex = row.nBarrage;
    g_BarrageTable.RecordStart(row.nBarrage, !KeepsRecords());
    CCutin::Spawn(FindTexture(kCutinPicture), FindTexture(row.nTitle), 1);
    CShockWave::Spawn(m_vPos, g_vZero, 20.0f, 30);
    FlashFader();
    MoveTo(kBattlePoint, 60);
    Backdrop().SetTexture(FindTexture(m_Design.nBackdrop));
}

void CBoss::StartPause()
{
    SetInvulnerable(true);
    m_nHp = 0;
    m_nMaxHp = m_Design.nPauseMaxHp;
    g_nBarrageIndex = -1;
    // In practice the pause after the barrage never ends.
    m_nTimer = m_bOneBarrage ? 0 : kPauseFrames;
    // A barrage that ran out of time still shows its backdrop.
    if (Backdrop().m_pTexture) {
        FlashFader();
        Backdrop().SetTexture(nullptr);
    }
}

void CBoss::TimeOut()
{
    if (const SBarrageRow* row = BarrageRow(m_nPhase); row && g_pWorldEvents)
        g_pWorldEvents->BarrageEnded(row->nBarrage, false, 0);
    if (m_nPhase == LastBarragePhase()) {
        SetPhase(PHASE_FINAL);
        SetInvulnerable(true);
        MoveTo(kWithdrawPoint, kEndingFrames);
        return;
    }
    ClearEnemyBullets();
    SetPhase(m_nPhase + 1);
}

// --- kill ---------------------------------------------------------------------------

void CBoss::Kill()
{
    if (m_nPhase == PHASE_FINAL) {
        Die();
        return;
    }
    SetInvulnerable(true);
    MoveTo(m_vPos, 60);
    if (g_nBarrageIndex != -1) ClearBarrage();
    if (m_nPhase == LastBarragePhase()) {
        g_Camera.AuxTo(Vec3{0.0f, 0.0f, -1.0f}, kEndingFrames);
        g_Camera.MoveTo(Vec3{1.0f, -10.0f, -3.0f}, kEndingFrames);
        WorldAnchor().RotateTo(g_vZero, kEndingFrames);
        SetPhase(PHASE_FINAL);
        Vanish(kEndingFrames);   // its end calls Kill again: the death
        RotateTo(Vec3{0.3f, 0.0f, 0.0f}, kEndingFrames);
    } else {
        SetPhase(m_nPhase + 1);
    }
}

void CBoss::ClearBarrage()
{
    const int32_t barrage = g_nBarrageIndex;
    FlashFader();
    Backdrop().SetTexture(nullptr);
    if (g_pSparks) g_pSparks->Burst(m_vPos, 64, 120);
    if (g_pDevice) g_pDevice->SetQuake(32.0f);
    PlaySEAt(kBreakSE, m_vPos);
    ClearEnemyBullets();
    CBit2::RemoveAll();
    const bool captured = g_pPlayer && g_pPlayer->m_bClean && m_nTimer > 0;
    const int32_t bonus = captured ? m_nTimer * kBonusPerFrame : 0;
    if (captured) {
        g_pPlayer->AddScore(bonus);
        CSimpleSprite::SpawnTimed(200.0f, 200.0f, FindTexture(kBonusPicture), g_vZero, 240);
        CSimpleSprite::SpawnNumber(420.0f, 216.0f, bonus, g_vZero, 240);
        g_BarrageTable.RecordCapture(barrage, bonus, !KeepsRecords());
    } else {
        CSimpleSprite::SpawnTimed(200.0f, 200.0f, FindTexture(kNoBonusPicture), g_vZero, 240);
    }
    PlaySound(kClearedSE);
    if (g_pWorldEvents) g_pWorldEvents->BarrageEnded(barrage, captured, bonus);
}

void CBoss::Die()
{
    CObject::Kill();
    if (g_pSparks) g_pSparks->Burst(m_vPos, 256, 480);
    if (g_pLightParticles) g_pLightParticles->Burst(m_vPos, 2.5f, 64, 240);
    if (g_pFader) g_pFader->LongFlashWhite();
    PlaySound(kDeathSE);
    g_StageControler.SetPhase(g_StageControler.m_nPhase + 1);   // the boss was destroyed
}

void CBoss::OnMoveEnd()
{
    if (m_nPhase != PHASE_FINAL || !(m_vPos == kWithdrawPoint)) return;
    m_nState = STATE_DEAD;
    g_StageControler.SetPhase(g_StageControler.m_nPhase + 2);   // the boss withdrew
}

// --- update -------------------------------------------------------------------------

void CBoss::Update()
{
    if (m_nTimer > 0) {
        --m_nTimer;
        if (m_nTimer == 0 && m_nState == STATE_ALIVE) TimeOut();
    }
    CEnemy::Update();
    m_Blade.Step();
    Swipe();
    if (m_nState == STATE_ALIVE && g_pPlayer) RotateTo(FaceToward(g_pPlayer), 6);
    UpdateParts();
    if (m_nPhase == m_Design.nTalkPhase && m_nAge == 60 && !m_bOneBarrage) ShowTalkLine(1, 2, 1, m_Design.nTalkRow);
    if (m_nAge % kWanderEvery == 0 && m_nPhase != m_Design.nStillPhase) Wander();
    if (m_nState == STATE_ALIVE && m_nHp > 0 && m_nAge > kSilentFrames)
        for (auto& fire : m_pBossFire) fire->Step();
}

void CBoss::Wander()
{
    const float px = g_pPlayer ? g_pPlayer->m_vPos.x : 0.0f;
    const float x0 = std::clamp(px, -2.5f, 2.5f);
    const float r1 = g_GameRand.Real();
    const float r2 = g_GameRand.Real();
    MoveTo(Vec3{x0 - 0.5f + r2, 3.0f - r1, 0.0f}, 120);
}

void CBoss::Swipe()
{
    if (!g_pPlayer) return;
    CMyKorvo& craft = *g_pPlayer;
    if (craft.m_nState == STATE_ALIVE && !m_bEntering && Distance(m_vPos, craft.m_vPos) <= kSwipeReach &&
        m_Blade.m_nState != STATE_ALIVE) {
        m_bBladeHit = false;
        PlaySEAt(kSwingSE, m_vPos);
        m_Blade.SetLife(CBlade::kSwingFrames);
        // 180 degrees clockwise in 12 frames, from 45 degrees left of the heading.
        m_Blade.SetRot(Vec3{0.0f, 0.0f, m_vRot.z + 0.25f});
        m_Blade.SetRotVel(Vec3{0.0f, 0.0f, -1.0f / static_cast<float>(CBlade::kSwingFrames)});
    }
    // An invulnerable craft (testing) is never struck.
    if (m_Blade.m_nState != STATE_ALIVE || m_bBladeHit || g_bInvulnerable) return;
    CObject& probe = SwipeProbe();
    for (int k = 1; k <= CBlade::kProbes; ++k) {
        probe.SetPos(m_Blade.ProbePoint(m_vPos, k));
        if (!craft.HitTest(&probe)) continue;
        m_bBladeHit = true;
        if (g_pSparks) g_pSparks->Burst(m_vPos, 2, 120);
        if (craft.m_Blade.m_nState == STATE_ALIVE) {
            // The blades clash: the craft is thrown back, nothing lost.
            if (g_pFader) g_pFader->FlashColor(1.0f, 0.0f, 0.0f);
            Vec3 push{0.0f, 0.125f, 0.0f};
            RotateZ(push, m_vRot.z);
            craft.SetVelAccelTo(push, g_vZero, 30);
            PlaySEAt(kStrikeSE, m_vPos);
        } else {
            PlaySEAt(kStrikeSE, m_vPos);
            craft.Miss();
            CFlare::Spawn(m_vPos);
        }
        return;
    }
}

// --- drawing ------------------------------------------------------------------------

void CBoss::Draw()
{
    if (!g_pDevice) return;
    CGraphicsDevice& d = *g_pDevice;
    DrawHud();

    SetWorldTransform();
    d.SetCullMode(0);
    d.SetWireframe(0);
    d.SetFog(0);
    d.SetBlendMode(0);
    if (m_pModel && m_pModel == g_pBossModel) d.SetWireframe(1);
    if (m_pModel) m_pModel->Draw();

    if (Backdrop().m_pTexture && g_pShellModel) {
        // The aura turns with every drawn frame, slow motion or not.
        AddTo(m_vAuraRot, 0.004f, 0.0012f, 0.0f);
        Matrix aura;
        BuildWorldMatrix(aura, m_vAuraRot.x, m_vAuraRot.y, m_vAuraRot.z, m_vPos.x, m_vPos.y, m_vPos.z);
        d.SetWorldTransform(aura);
        d.SetCullMode(1);
        d.SetWireframe(1);
        g_pShellModel->Draw();
    }
    if (m_nState == STATE_VANISH) DrawDeath();
    d.SetWireframe(0);
    d.SetCullMode(0);
}

void CBoss::DrawHud()
{
    CGraphicsDevice& d = *g_pDevice;
    d.SetCullMode(0);
    d.SetWireframe(0);
    d.SetFog(0);
    d.SetBlendMode(0);
    const int width = m_nMaxHp > 0 ? 328 * m_nHp / m_nMaxHp : 0;
    d.FillRect(156, 22, width, 8, 0.5f, 0.0f, 1.0f, 0.0f);
    d.DrawRectFrame(156.0f, 22.0f, 328.0f, 8.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    d.SetFullScreenViewport();
    {
        CSpriteBatchScope batch(&d);
        if (m_pEmblem) m_pEmblem->DrawSprite(156.0f, 8.0f, nullptr, 1.0f, 1.0f);
        if (m_nTimer > 0) DrawNumber(484.0f, 8.0f, m_nTimer / 60);   // whole seconds left
    }
    d.SetPlayFieldViewport();
}

// The death: a glare that swells and dims, a crown of rays turning outward and
// a ring of light running out across the field, all over the 240-frame vanish.
void CBoss::DrawDeath()
{
    CGraphicsDevice& d = *g_pDevice;
    const float v = GetVanishRate();
    const float t = 1.0f - v;
    d.SetFog(0);
    d.SetCullMode(0);
    d.SetWireframe(0);
    d.SetDepthTest(0);

    if (g_pGlowTexture) {
        Matrix glare;
        d.GetBillboardMatrix(glare);
        glare.m[3][0] = m_vPos.x;
        glare.m[3][1] = m_vPos.y;
        glare.m[3][2] = m_vPos.z;
        d.SetWorldTransform(glare);
        // Both additive (alpha 0): the glow's dark ground adds nothing.
        g_pGlowTexture->DrawBillboard(2.0f + 10.0f * t, 0.0f);   // the glare swells
        g_pGlowTexture->DrawBillboard(4.0f * v, 0.0f);           // the core burns out
    }

    Matrix identity;
    MatrixIdentity(identity);
    d.SetWorldTransform(identity);
    constexpr int kRays = 12;
    const float reach = 1.0f + 6.0f * t;
    for (int i = 0; i < kRays; ++i) {
        const float a = static_cast<float>(i) * (2.0f / kRays) + 0.5f * t;
        const float length = (i % 2 == 0 ? 1.0f : 0.6f) * reach;
        Vec3 tip{0.0f, length, 0.0f}, left{-0.08f * reach, 0.25f * reach, 0.0f}, right{0.08f * reach, 0.25f * reach, 0.0f};
        Vec3 corners[3] = {tip, right, left};
        for (Vec3& c : corners) {
            RotateZ(c, a);
            AddTo(c, m_vPos);
        }
        d.DrawTriangle3D(corners, 0.7f * v, 1.0f, 0.85f, 0.5f);
    }

    constexpr int kRingSegments = 32;
    const float radius = 0.5f + 5.0f * t;
    for (int i = 0; i < kRingSegments; ++i) {
        Vec3 a{0.0f, radius, 0.0f}, b{0.0f, radius, 0.0f};
        RotateZ(a, static_cast<float>(i) * (2.0f / kRingSegments));
        RotateZ(b, static_cast<float>(i + 1) * (2.0f / kRingSegments));
        AddTo(a, m_vPos);
        AddTo(b, m_vPos);
        d.DrawLine3D(&a, &b, v, 0.8f, 0.9f, 1.0f);
    }
    d.SetDepthTest(1);
}
