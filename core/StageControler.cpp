#include "core/StageControler.h"

#include "core/DeviceLink.h"
#include "core/ObjectLists.h"
#include "core/WorldHooks.h"

CChapterRecords* g_pChapterRecords = nullptr;

CStageControler::CStageControler() = default;

// m_Resources frees its own array; the textures are released by
// ReleaseResources, which the owner runs before the controller goes.
CStageControler::~CStageControler() = default;

void CStageControler::RecordResult(int chapter, int* score, bool replay, bool singleChapter)
{
    if (score == nullptr) return;
    // A watched replay never changes records; a single chapter played from the
    // chapter menu never unlocks the next one.
    if (!replay && g_pChapterRecords != nullptr) {
        if (!singleChapter) g_pChapterRecords->MarkReached(chapter + 1);
        if (g_pChapterRecords->GetBestScore(chapter) < *score) {
            g_pChapterRecords->SetBestScore(chapter, *score);
        }
    }
    *score = 0;
}

void CStageControler::ResetWorld()
{
    if (g_pDeviceLink != nullptr) g_pDeviceLink->SetFogColor(0, 0, 0);
    if (g_pWorldHooks != nullptr) g_pWorldHooks->ResetFader();
    ClearWorld();
    if (g_pWorldHooks != nullptr) g_pWorldHooks->ResetCamera();
    if (g_pWorldHooks != nullptr) g_pWorldHooks->ClearBackgroundLayers();
    PauseMusic();
    StopMusic();
}

void CStageControler::ReleaseResources()
{
    if (g_pDeviceLink != nullptr) g_pDeviceLink->UnbindTexture(0);
    while (m_Resources.Count() > 0) {
        CResource* resource = m_Resources.PopFront();
        if (resource == nullptr) continue;
        resource->Release();
        delete resource;
    }
}

void CStageControler::LoadStage(int /*stage*/) {}

void CStageControler::SetStage(int stage)
{
    m_nStage = stage;
    SetPhase(0);
    ReleaseResources();
    LoadStage(m_nStage);
}

void CStageControler::SetPhase(int phase)
{
    m_nAge = -1;
    m_nPhase = phase;
}
