#include "app/Scene.h"

#include "core/ObjectLists.h"
#include "core/StageControler.h"
#include "app/Game.h"
#include "gfx/GraphicsDevice.h"
#include "gfx/Texture.h"

CStageControler& SceneControler()
{
    static CStageControler controler;
    return controler;
}

int GetSceneStage() { return SceneControler().m_nStage; }

void SetSceneStage(int stage) { SceneControler().SetStage(stage); }

void SceneFrame()
{
    CStageControler& stage = SceneControler();
    stage.Step();
    if (!g_pDevice) return;
    g_pDevice->Update();
    g_pDevice->BeginFrame();
    switch (stage.m_nStage) {
    case -1:  // start-up loading
        g_pDevice->SetFullScreenViewport();
        g_pDevice->ClearScreen();
        if (g_pLoadingTexture) {
            g_pDevice->Sprite().Begin();
            g_pLoadingTexture->DrawSpriteBlend(64.0f, 0.0f, 1.0f);
            g_pDevice->Sprite().End();
        }
        break;
    case -3:  // chapter loading
        g_pDevice->SetFullScreenViewport();
        g_pDevice->ClearScreen();
        break;
    case -6:  // title loop: its pictures are overlay objects
        g_pDevice->SetFullScreenViewport();
        StepOverlayList();
        break;
    default: break;
    }
    g_pDevice->ClearDepth();
    g_pDevice->SetFullScreenViewport();
    g_pDevice->EndFrame();
    g_pDevice->Present();
}

void SceneInput() {}
