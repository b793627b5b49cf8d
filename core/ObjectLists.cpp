#include "core/ObjectLists.h"

#include "core/DeviceLink.h"
#include "core/WorldHooks.h"

CObjectList g_OverlayList;
CObjectList g_EffectList;
CObjectList g_EnemyShotList;
CObjectList g_EnemyList;
CObjectList g_ScoreItemList;
CObjectList g_ForegroundList;
CObjectList g_SoundList;
CMusicList g_MusicList;
CObjectList g_TerrainList;

CWorldHooks* g_pWorldHooks = nullptr;

void ClearEnemyBullets()
{
    DeleteWhere(g_EnemyShotList, [](CObject* p) { return !p->m_bPersistent; });
}

void ClearWorld()
{
    DeleteAll(g_EnemyList);
    // Persistent bullets (beams) survive a bomb or a boss's phase change, not
    // a new chapter: a beam left over from an abandoned game would throw its
    // sparks, drawn from the game's generator, into the next one, whose replay
    // would then play differently.
    DeleteAll(g_EnemyShotList);
    DeleteAll(g_ScoreItemList);
    DeleteAll(g_EffectList);
    DeleteAll(g_OverlayList);
    DeleteAll(g_ForegroundList);
}

void StepWorldLists()
{
    if (g_pWorldHooks != nullptr) g_pWorldHooks->TickSlowMotionCooldown();
    StepList(g_TerrainList);
    StepList(g_EffectList);
    // Bullets are small sprites: filtered and clamped they stay round.
    if (g_pDeviceLink != nullptr) g_pDeviceLink->SetTextureFilter(1);
    StepList(g_EnemyShotList);
    if (g_pDeviceLink != nullptr) g_pDeviceLink->SetTextureFilter(0);
    StepList(g_EnemyList);
    StepList(g_ScoreItemList);
    StepListKeep(g_SoundList);
    StepListKeep(g_MusicList);
}

void StepForegroundLists()
{
    // Player shots and the foreground are never hidden by world geometry.
    if (g_pDeviceLink != nullptr) g_pDeviceLink->ClearDepth();
    StepList(g_ForegroundList);
    if (g_pDeviceLink != nullptr) g_pDeviceLink->ClearDepth();
}

void StepOverlayList()
{
    StepList(g_OverlayList);
}

void PauseMusic()
{
    for (int i = 0; i < g_MusicList.Count(); ++i) {
        if (CPausableObject* p = g_MusicList.At(i)) p->Pause();
    }
}

void ResumeMusic()
{
    for (int i = 0; i < g_MusicList.Count(); ++i) {
        if (CPausableObject* p = g_MusicList.At(i)) p->Resume();
    }
}

void StopMusic()
{
    for (int i = 0; i < g_MusicList.Count(); ++i) {
        if (CPausableObject* p = g_MusicList.At(i)) p->Reset();
    }
}
