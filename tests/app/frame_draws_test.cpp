// Whole frames of every scene draw nothing from the game's generator while
// drawing (replays repeat only what the rules draw).
#include "game_fixture.h"

#include "stage/Fader.h"

namespace {

using FrameDraws = CInProcessGame;

TEST_F(FrameDraws, NoSceneDrawsFromTheGameGeneratorWhileDrawing)
{
    const int kScenes[] = {
        CStageControler::STAGE_TITLE,     CStageControler::STAGE_MAIN_MENU,   CStageControler::STAGE_CHAPTER_MENU,
        CStageControler::STAGE_RECORDS,   CStageControler::STAGE_SAVE_LIST,   CStageControler::STAGE_REPLAY_LIST,
        CStageControler::STAGE_CHAPTER1,  CStageControler::STAGE_CHAPTER2,
    };
    for (const int stage : kScenes) {
        SCOPED_TRACE(stage);
        SetSceneStage(stage);
        for (int i = 0; i < 30; ++i) Step();
        EXPECT_EQ(g_GameRand.LockedDraws(), 0);
    }
}

// The lock is on while the world lists draw: an effect that draws from the
// generator in its Draw is caught (and its update is not).
class CCarelessEffect : public CObject {
public:
    void Draw() override { g_GameRand.Real(); }
    void Update() override
    {
        CObject::Update();
        g_GameRand.Real();
    }
};

TEST_F(FrameDraws, ADrawInAnObjectsDrawingIsCaughtInPlay)
{
    SetSceneStage(CStageControler::STAGE_CHAPTER1);
    g_EffectList.Add(new CCarelessEffect());
    Step();
    EXPECT_EQ(g_GameRand.LockedDraws(), 1);
    g_GameRand.ClearLockedDraws();
}

}  // namespace
