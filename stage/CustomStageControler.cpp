#include "stage/CustomStageControler.h"

#include <cstdio>

#include "assets/AssetSet.h"
#include "core/DeviceLink.h"
#include "core/ObjectLists.h"
#include "core/Random.h"
#include "enemy/Boss0.h"
#include "enemy/Boss1.h"
#include "gfx/BG.h"
#include "gfx/SimpleSprite.h"
#include "gfx/Texture.h"
#include "persist/Replay.h"
#include "player/MyKorvo.h"
#include "sound/SoundSystem.h"
#include "stage/Camera.h"
#include "stage/ChapterScript.h"
#include "stage/Fader.h"
#include "stage/World.h"
#include "stage/WorldEvents.h"

int32_t g_nChapterSelection = -1;
bool g_bReplayPlaying = false;
int32_t g_nBarrageIndex = -1;
bool g_bInvulnerable = false;
bool g_bUnrecorded = false;
bool g_bAutopilot = false;
int32_t g_nPracticeBarrage = -1;

CCustomStageControler g_StageControler;

namespace {

CTexture* LoadStageTexture(CStageControler& controler, int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "#%d", number);
    CTexture* t = CTexture::Create(name, "TEXTURE");
    if (t) controler.AddResource(t);
    return t;
}

// A music object of type "BGM", put on the music list (which the world reset
// pauses and stops as a group).
CSound* CreateMusic(const char* name)
{
    if (!g_pSoundDevice) return nullptr;
    CSound* s = new CSound(g_pSoundDevice, name, "BGM");
    g_MusicList.Add(s);
    return s;
}

// The title loop: one picture of the stage (its textures 0 ... 6) at (64, 0)
// per row, with its appear, stay and vanish frames.
struct STitleCue {
    int32_t nFrame, nPicture, nAppear, nLife, nVanish;
};
constexpr STitleCue kTitleLoop[] = {
    // frame  picture  appear  stay  vanish
    {0,       0,       120,    240,  120},
    {360,     1,       120,    240,  120},
    {720,     2,       120,    240,  120},
    {1080,    3,       120,    420,  120},
    {1740,    4,       0,      0,    120},
    {1860,    5,       0,      0,    120},
    {1980,    6,       0,      0,    120},
};
// The main menu follows.
constexpr int32_t kTitleLoopEnd = 2160;

// The bosses practice knows, with the chapter each fights in.
struct SPracticeBoss {
    int32_t nChapter;
    const SBossDesign& design;
    CBoss* (*pSpawn)();
};
const SPracticeBoss kPracticeBosses[] = {
    {CStageControler::STAGE_CHAPTER1, kBoss0Design, []() -> CBoss* { return CBoss0::Spawn(); }},
    {CStageControler::STAGE_CHAPTER2, kBoss1Design, []() -> CBoss* { return CBoss1::Spawn(); }},
};

// The boss that fights the barrage and its row, or null.
const SPracticeBoss* FindPracticeBoss(int barrage, const SBarrageRow** row)
{
    for (const SPracticeBoss& boss : kPracticeBosses)
        for (const SBarrageRow& r : boss.design.barrages)
            if (r.nBarrage == barrage) {
                *row = &r;
                return &boss;
            }
    return nullptr;
}

}  // namespace

std::vector<int32_t> PracticeBarrages()
{
    std::vector<int32_t> barrages;
    for (const SPracticeBoss& boss : kPracticeBosses)
        for (const SBarrageRow& r : boss.design.barrages) barrages.push_back(r.nBarrage);
    return barrages;
}

int PracticeChapter(int barrage)
{
    const SBarrageRow* row = nullptr;
    const SPracticeBoss* boss = FindPracticeBoss(barrage, &row);
    return boss ? boss->nChapter : -1;
}

CCustomStageControler::~CCustomStageControler() { Shutdown(); }

void CCustomStageControler::Shutdown()
{
    ReleaseResources();
    // The music list owns the music objects; forget them here.
    m_pTitleMusic = nullptr;
    m_pChapterMusic[0] = m_pChapterMusic[1] = nullptr;
}

CTexture* CCustomStageControler::StageTexture(int index) const
{
    if (index < 0 || index >= m_Resources.Count()) return nullptr;
    return static_cast<CTexture*>(m_Resources.At(index));
}

void CCustomStageControler::ResetWorld()
{
    CStageControler::ResetWorld();
    g_nBarrageIndex = -1;
}

void CCustomStageControler::LoadStage(int stage)
{
    switch (stage) {
    case STAGE_CHAPTER_MENU: LoadStageTexture(*this, 405); break;
    case STAGE_RECORDS: LoadStageTexture(*this, 112); break;
    case STAGE_TITLE:
        for (int i = 280; i <= 286; ++i) LoadStageTexture(*this, i);
        break;
    case STAGE_SAVE_LIST: LoadStageTexture(*this, 109); break;
    case STAGE_REPLAY_LIST: LoadStageTexture(*this, 108); break;
    case STAGE_CHAPTER1:
        for (int n : {346, 353, 359, 360}) LoadStageTexture(*this, n);
        break;
    case STAGE_CHAPTER2:
        for (int n : {420, 421, 422, 423}) LoadStageTexture(*this, n);
        break;
    default: break;
    }
}

void CCustomStageControler::SetStage(int stage)
{
    // Whatever comes next, no attempt runs in it (StartPractice begins one after).
    g_nPracticeBarrage = -1;
    CStageControler::SetStage(stage);
    switch (stage) {
    case STAGE_PRACTICE:
    case STAGE_CHAPTER_MENU:
    case STAGE_RECORDS:
    case STAGE_MAIN_MENU: ResetWorld(); break;
    case STAGE_TITLE:
        if (!m_pTitleMusic) m_pTitleMusic = CreateMusic("#109");
        if (m_pTitleMusic) m_pTitleMusic->PlayLoop();
        break;
    case STAGE_SAVE_LIST:
    case STAGE_REPLAY_LIST:
        ResetWorld();
        g_Replay.ReadSlotTable();
        break;
    case STAGE_CHAPTER1:
    case STAGE_CHAPTER2: StartChapter(stage); break;
    default: break;
    }
    if (g_pWorldEvents) g_pWorldEvents->StageChanged(m_nStage);
}

void CCustomStageControler::SetPhase(int phase)
{
    CStageControler::SetPhase(phase);
    if (m_nStage >= STAGE_CHAPTER1 && phase != PHASE_INTRO && g_pWorldEvents)
        g_pWorldEvents->PhaseChanged(m_nStage, phase);
}

void CCustomStageControler::StartChapter(int chapter)
{
    ClearWorld();
    g_Camera.Reset();
    if (g_pFader) g_pFader->Off();
    // No background at the lowest model quality (the model is not loaded).
    if (CModel* bg = g_pChapterBGModel[chapter])
        CBG::SpawnChain(bg, g_pWorldAnchor, Vec3{0.0f, -40.0f, 0.0f}, 40.0f, -40.0f);
    if (g_pWorldAnchor) {
        g_pWorldAnchor->Reset();
        g_pWorldAnchor->SetVel(Vec3{0.0f, chapter == STAGE_CHAPTER1 ? -0.3f : -0.15f, 0.0f});
        g_pWorldAnchor->SetRot(Vec3{});
    }
    g_GameRand.Seed(1024);
    CSound*& music = m_pChapterMusic[chapter];
    if (!music) {
        // The music decodes synchronously: one frame of the loading picture
        // first, the only sign of life meanwhile.
        if (g_pDeviceLink) g_pDeviceLink->SetFogColor(0, 0, 0);
        m_nStage = STAGE_CHAPTER_LOADING;
        if (g_pWorldEvents) g_pWorldEvents->LoadingFrameWanted();
        music = CreateMusic(chapter == STAGE_CHAPTER1 ? "#111" : "#113");
        ++m_nMusicLoads;
        m_nStage = chapter;
    }
    if (music) music->PlayLoop();
    if (g_pDeviceLink) {
        if (chapter == STAGE_CHAPTER1) g_pDeviceLink->SetFogColor(0, 0, 85);
        else g_pDeviceLink->SetFogColor(119, 119, 119);
    }
    if (g_pFader) g_pFader->FadeFromBlack(120);
    // The intro model is revived by the chapter's timeline.
    if (g_pStageModel) g_pStageModel->Kill();
    SetPhase(PHASE_INTRO);
}

bool CCustomStageControler::StartPractice(int barrage)
{
    const SBarrageRow* row = nullptr;
    const SPracticeBoss* boss = FindPracticeBoss(barrage, &row);
    if (!boss) return false;
    SetStage(boss->nChapter);
    g_nPracticeBarrage = barrage;
    SetPhase(PHASE_BOSS);
    if (g_pPlayer) {
        g_pPlayer->Reset();
        g_pPlayer->m_nStock = kPracticeStock;
        g_pPlayer->m_nGauge = g_pPlayer->m_nGaugeMax;
    }
    g_GameRand.Seed(kPracticeSeed + static_cast<uint32_t>(barrage));
    boss->pSpawn()->StandBefore(row->nPhase, kPracticeLeadIn);
    return true;
}

void CCustomStageControler::UpdateTitleLoop()
{
    const int f = m_nAge;
    for (const STitleCue& cue : kTitleLoop) {
        if (cue.nFrame == f)
            CSimpleSprite::Spawn(64.0f, 0.0f, StageTexture(cue.nPicture), Vec3{}, cue.nAppear, cue.nLife, cue.nVanish);
    }
    if (f == kTitleLoopEnd) SetStage(STAGE_MAIN_MENU);
}

void CCustomStageControler::Update()
{
    CStageControler::Update();
    switch (m_nStage) {
    case STAGE_TITLE: UpdateTitleLoop(); break;
    case STAGE_MAIN_MENU:
        // Whatever the player does on the menu, the title comes back.
        if (m_nAge == 900) SetStage(STAGE_TITLE);
        break;
    case STAGE_BOSS_TEST:
        if (m_nAge % 1200 == 0) CBoss0::Spawn();
        break;
    case STAGE_CHAPTER1:
    case STAGE_CHAPTER2:
        // A practice attempt has no timeline: only its boss.
        if (g_nPracticeBarrage < 0) UpdateChapter();
        break;
    default: break;
    }
}

// Each chapter's timeline is in its own file; this runs the one of m_nStage for
// m_nPhase at frame m_nAge.
void CCustomStageControler::UpdateChapter()
{
    RunChapter(m_nStage == STAGE_CHAPTER1 ? kChapter1Script : kChapter2Script, m_nPhase, m_nAge);
}
