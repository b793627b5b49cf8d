#include "app/Play.h"

#include "app/FrameTimer.h"
#include "app/Game.h"
#include "app/Practice.h"
#include "app/Scene.h"
#include "app/SceneKit.h"
#include "app/Viewer.h"
#include "assets/AssetSet.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "gfx/BG2D.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"
#include "input/InputControler.h"
#include "persist/GlobalResult.h"
#include "persist/PracticeHistory.h"
#include "player/LightParticle.h"
#include "player/MyKorvo.h"
#include "player/Spark.h"
#include "stage/Camera.h"
#include "stage/CustomStageControler.h"
#include "stage/World.h"

namespace {

constexpr int kInvulnerableX = 516;
constexpr int kInvulnerableY = 120;
constexpr const char* kInvulnerableMark = "INVULNERABLE";
constexpr uint32_t kInvulnerableColor = 0xFFFFFF40u;

// The running barrage's history beside its name: in a game its records as
// they are now (a watched replay's too), in practice the practice history.
constexpr float kHudBestX = 516.0f;
constexpr float kHudBestY = 80.0f;
constexpr float kHudBestRight = 626.0f;
constexpr int kPracticeMarkY = 98;
constexpr const char* kPracticeMark = "PRACTICE";
constexpr uint32_t kHudLabelColor = 0xFFB0C8E0u;

int HudScore() { return g_pPlayer ? g_pPlayer->m_nScore : 0; }
int HudStock() { return g_pPlayer ? g_pPlayer->m_nStock : 0; }
int HudGauge() { return g_pPlayer ? g_pPlayer->m_nGauge : 0; }
int HudGaugeMax() { return g_pPlayer ? g_pPlayer->m_nGaugeMax : CMyKorvo::kGaugeMax; }

// The left panel's list of controls, under its heading: a watched replay
// lists the viewer's keys over the keys of play, on the panel's own colour.
constexpr int kControlsX = 4, kControlsY = 190, kControlsW = 128, kControlsH = 116;
constexpr float kPanelR = 8.0f / 255.0f, kPanelG = 11.0f / 255.0f, kPanelB = 25.0f / 255.0f;
constexpr uint32_t kControlsColor = 0xFFD8E8F0u;

void DrawViewerControls()
{
    g_pDevice->FillRect(kControlsX, kControlsY, kControlsW, kControlsH, 1.0f, kPanelR, kPanelG, kPanelB);
    DrawTextLines(kControlsX + 2, kControlsY + 2, ViewerControlsText(), kControlsColor, kControlsW - 4, 8);
}

void DrawHud()
{
    g_pDevice->SetFullScreenViewport();
    BeginSprites();
    DrawTexture(g_pLeftPanelTexture, 0.0f, 0.0f);
    DrawTexture(g_pRightPanelTexture, 500.0f, 0.0f);
    DrawNumberRight(611.0f, 8.0f, g_FrameTimer.m_nFps);
    DrawTexture(g_pFpsLabelTexture, 616.0f, 8.0f);
    DrawTexture(g_pHudFrameTexture, 0.0f, 0.0f);
    DrawNumberRight(122.0f, 14.0f, HudScore());
    DrawNumberRight(122.0f, 120.0f, HudStock());
    StepOverlayList();
    const int i = g_nBarrageIndex;
    const bool barrage = i >= 0 && i < CBarrageTable::kBarrages;
    const SBarrageHistory history = barrage ? HudBarrageHistory(i) : SBarrageHistory{};
    if (barrage) {
        DrawBarrageStrip(i, 358.0f, 32.0f, history.nCaptures, history.nTries);
        DrawNumberRight(kHudBestRight, kHudBestY + 2.0f, history.nBest);
    }
    if (g_bReplayPlaying) DrawTexture(g_pReplayMarkerTexture, 516.0f, 96.0f);
    g_pDevice->Sprite().End();
    // The best bonus under the strip, clear of its figures and of the marks below.
    if (barrage) g_pDevice->DrawText(kHudBestX, static_cast<int>(kHudBestY) - 2, "BEST", kHudLabelColor);
    // An attempt of practice says so where a watched replay shows its marker.
    if (g_nPracticeBarrage >= 0) g_pDevice->DrawText(kInvulnerableX, kPracticeMarkY, kPracticeMark, kHudLabelColor);
    if (g_bReplayPlaying) DrawViewerControls();
    // A game nothing can hit says so, under the replay marker's place.
    if (g_bInvulnerable) g_pDevice->DrawText(kInvulnerableX, kInvulnerableY, kInvulnerableMark, kInvulnerableColor);

    const int gauge = HudGauge();
    g_pDevice->FillRect(5, 91, GaugeBarWidth(gauge, HudGaugeMax()), 10, 0.5f, 0.0f, 1.0f, 0.0f);
    const int thirds = GaugeThirdsWidth(gauge);
    if (thirds > 0) g_pDevice->FillRect(5, 91, thirds, 10, 0.5f, 1.0f, 1.0f, 0.0f);
    g_pDevice->FillRect(5, 140, StockBarWidth(HudStock()), 10, 0.5f, 0.0f, 1.0f, 0.0f);
}

// While a replay plays: attack0 on live input switches to the free camera,
// which then turns and moves on live input (the recording drives the game).
void ReplayCamera()
{
    if (!g_pInput) return;
    PollViewerInput();
    CObject* cam = g_pCamera;
    if (!g_bFreeCamera && ButtonPressed(1, &CInputRecord::m_bAttack0)) {
        if (cam) {
            cam->AuxTo(Vec3{0.0f, 0.0f, -1.0f}, 120);
            cam->MoveTo(Vec3{0.0f, -10.0f, 0.0f}, 120);
        }
        g_bFreeCamera = true;
    }
    if (g_bFreeCamera && cam) {
        const CInputRecord& live = g_pInput->GetCurrent(1);
        Vec3 p = cam->m_vPos;
        RotateZ(p, live.m_fX * 0.01f);
        RotateX(p, live.m_fY * 0.01f);
        if (live.m_bAttack0) AddTo(p, 0.0f, -0.1f, 0.0f);
        if (live.m_bReload) AddTo(p, 0.0f, 0.1f, 0.0f);
        cam->m_vPos = p;
    }
}

}  // namespace

SBarrageHistory HudBarrageHistory(int barrage)
{
    if (g_nPracticeBarrage >= 0) {
        const SPracticeRecord& p = g_PracticeHistory.Get(barrage);
        return {p.m_nCaptures, p.m_nTries, p.m_nBestBonus};
    }
    const CBarrageRecord& r = g_BarrageTable.Get(barrage);
    return {r.m_nClearCount, r.m_nTotalCount, r.m_nScoreMax};
}

void DrawPlay()
{
    g_pDevice->SetPlayFieldViewport();
    if (g_pWorldAnchor) g_pWorldAnchor->Step();
    BeginSprites();
    g_BG2D[0].Step();
    g_pDevice->Sprite().End();
    if (g_pPlayer) g_pPlayer->Step();
    if (g_pStageModel) g_pStageModel->Step();
    StepWorldLists();
    g_pDevice->SetPlayFieldViewport();
    StepForegroundLists();
    if (g_pSparks) {
        g_pSparks->Update();
        g_pSparks->Draw();
    }
    if (g_pLightParticles) g_pLightParticles->Step();
    {
        CRandomLock lock(g_GameRand);
        DrawHud();
    }
    // The gauge fills by one every frame of play.
    if (g_pPlayer) g_pPlayer->AddGauge(1);
}

void InputPlay()
{
    // Once an attempt's result shows, the input is the panel's.
    if (IsPracticePanelShown()) {
        InputPracticePanel();
        return;
    }
    // Control checks itself whether the craft may act now.
    if (g_pPlayer && g_pInput) g_pPlayer->Control(g_pInput->GetCurrent(0), g_pInput->GetPrevious(0));
    if (g_bReplayPlaying) ReplayCamera();
}

int GaugeBarWidth(int gauge, int gaugeMax)
{
    if (gaugeMax <= 0) return 0;
    const float w = static_cast<float>(gauge) / static_cast<float>(gaugeMax) * 117.0f;
    return static_cast<int>(w);
}

int GaugeThirdsWidth(int gauge)
{
    if (gauge >= 10800) return 117;
    if (gauge >= 7200) return 78;
    if (gauge >= 3600) return 39;
    return 0;
}

int StockBarWidth(int stock)
{
    const float w = static_cast<float>(stock) * (1.0f / 9.0f) * 117.0f;
    return static_cast<int>(w);
}
