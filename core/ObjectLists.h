// The game-wide object lists and their per-frame passes.
//
// Each list owns the objects put into it (by Add, by whoever creates them) and
// deletes them on the pass after they die, or when a clearing operation empties
// it. No object is in two lists. The order of the passes is the drawing and
// update order of the world:
//
//   StepWorldLists()      slow-motion cooldown tick (hook), terrain, effects,
//                         enemy bullets (texture filtering on around them),
//                         enemies, score items, sound effects, music
//   StepForegroundLists() depth cleared, player shots and foreground, depth cleared
//   StepOverlayList()     2D overlay (cut-ins, sprites)
#pragma once

#include "core/Object.h"
#include "core/PointerList.h"

using CObjectList = TPointerList<CObject>;
using CMusicList = TPointerList<CPausableObject>;

extern CObjectList g_OverlayList;      // cut-in banners, sprites over the HUD
extern CObjectList g_EffectList;       // effects, backgrounds, explosions, lasers
extern CObjectList g_EnemyShotList;    // enemy bullets
extern CObjectList g_EnemyList;        // enemies and bosses
extern CObjectList g_ScoreItemList;    // score items
extern CObjectList g_ForegroundList;   // player shots and objects over the world
extern CObjectList g_SoundList;        // the fading slow-motion sound
extern CMusicList g_MusicList;         // music objects
extern CObjectList g_TerrainList;      // terrain feature: always empty

// The per-frame pass: dead objects are removed and deleted, the others stepped.
// The count is read again on every iteration, so objects appended during the
// pass are stepped in it. Null entries are dropped.
template <class T>
void StepList(TPointerList<T>& list) {
    int i = 0;
    while (i < list.Count()) {
        T* p = list.At(i);
        if (p == nullptr) {
            list.RemoveAt(i);
        } else if (p->m_nState == CObject::STATE_DEAD) {
            list.RemoveAt(i);
            delete p;
        } else {
            p->Step();
            ++i;
        }
    }
}

// Steps every object and removes nothing.
template <class T>
void StepListKeep(TPointerList<T>& list) {
    for (int i = 0; i < list.Count(); ++i) {
        if (T* p = list.At(i)) p->Step();
    }
}

// Removes and deletes every object, first to last.
template <class T>
void DeleteAll(TPointerList<T>& list) {
    while (list.Count() > 0) delete list.PopFront();
}

// Deletes the non-persistent enemy bullets, keeping the order of the rest.
void ClearEnemyBullets();
// Deletes the enemies, the non-persistent enemy bullets, the score items, the
// effects, the overlay and the foreground objects, in this order. The sound,
// music and terrain lists are not touched.
void ClearWorld();

void StepWorldLists();
void StepForegroundLists();
void StepOverlayList();

// For every music object: Pause(), Resume(), or Reset() (which stops it).
void PauseMusic();
void ResumeMusic();
void StopMusic();
