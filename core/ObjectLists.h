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
//
// Removing objects while their list is being stepped is safe. A step may clear
// its own list (a lock-on laser in the effects list strikes a boss whose
// barrage ends and takes every satellite of the effects list with it) or
// another list that is being stepped further up (a boss dying in the enemy
// pass clears the enemy bullets). Every deletion goes through DeleteWhere:
//
//   DeleteWhere(g_EffectList, [](CObject* p) { return dynamic_cast<CBit2*>(p) != nullptr; });
//
// It takes the matching objects out of the list at once, in one pass that
// keeps the order of the rest, so nothing walking the list afterwards sees
// them. Outside a pass they are deleted at once, first to last; while a pass
// over that list runs (however deep), they are deleted, first to last, when
// the outermost pass ends, so the object being stepped may even remove itself.
// The running pass goes on with the next remaining object: none is skipped or
// stepped twice.
#pragma once

#include <vector>

#include "core/Object.h"
#include "core/PointerList.h"

// A list that owns its objects: what is taken out of it during a pass waits
// here until the pass ends.
template <class T>
class TObjectList : public TPointerList<T> {
public:
    constexpr TObjectList() = default;

    // Takes every object for which doomed(p) is true out of the list (null
    // entries always go), in order, to be deleted by DeleteDetached.
    template <class Pred>
    void DetachWhere(Pred doomed)
    {
        this->RemoveWhere([&](void* p) { return p == nullptr || doomed(static_cast<T*>(p)); },
                          [&](void* p) {
                              if (p != nullptr) m_Detached.push_back(static_cast<T*>(p));
                          });
    }
    // Deletes p, already out of the list, now or when the running pass ends.
    void Detach(T* p) { m_Detached.push_back(p); }
    // Deletes the detached objects in the order they were taken out. A
    // destructor that detaches more adds them to this same round.
    void DeleteDetached()
    {
        if (m_bDeleting) return;
        m_bDeleting = true;
        for (std::size_t i = 0; i < m_Detached.size(); ++i) delete m_Detached[i];
        m_Detached.clear();
        m_bDeleting = false;
    }

private:
    std::vector<T*> m_Detached;
    bool m_bDeleting = false;
};

using CObjectList = TObjectList<CObject>;
using CMusicList = TObjectList<CPausableObject>;

extern CObjectList g_OverlayList;     // cut-in banners, sprites over the HUD
extern CObjectList g_EffectList;      // effects, backgrounds, explosions, lasers
extern CObjectList g_EnemyShotList;   // enemy bullets
extern CObjectList g_EnemyList;       // enemies and bosses
extern CObjectList g_ScoreItemList;   // score items
extern CObjectList g_ForegroundList;  // player shots and objects over the world
extern CObjectList g_SoundList;       // the fading slow-motion sound
extern CMusicList g_MusicList;        // music objects
extern CObjectList g_TerrainList;     // terrain feature: always empty

// Deletes every object of the list for which doomed(T*) is true, keeping the
// order of the rest; null entries are dropped. Linear in the list's length.
// Outside a pass over the list the objects are deleted before it returns;
// during one, they are out of the list at once and deleted when the outermost
// pass ends. The predicate must not change the list.
template <class T, class Pred>
void DeleteWhere(TObjectList<T>& list, Pred doomed)
{
    list.DetachWhere(doomed);
    if (!list.IsWalked()) list.DeleteDetached();
}

// Removes and deletes every object, first to last (see DeleteWhere).
template <class T>
void DeleteAll(TObjectList<T>& list)
{
    DeleteWhere(list, [](T*) { return true; });
}

// The per-frame pass: dead objects are removed and deleted, the others stepped.
// The count is read again on every iteration, so objects appended during the
// pass are stepped in it. Null entries are dropped. The pass keeps its place
// whatever the steps remove or insert (see DeleteWhere).
template <class T>
void StepList(TObjectList<T>& list)
{
    SListCursor cursor;
    list.AttachCursor(&cursor);
    while (cursor.nNext < list.Count()) {
        const int i = cursor.nNext;
        T* p = list.At(i);
        if (p == nullptr) {
            list.RemoveAt(i);
        } else if (p->m_nState == CObject::STATE_DEAD) {
            list.RemoveAt(i);
            // No object of this list is half-way through its step unless an
            // outer pass over it runs.
            if (cursor.pOuter == nullptr) {
                delete p;
            } else {
                list.Detach(p);
            }
        } else {
            cursor.nNext = i + 1;
            p->Step();
        }
    }
    list.DetachCursor(&cursor);
    if (!list.IsWalked()) list.DeleteDetached();
}

// Steps every object and removes nothing (the steps may: the walk keeps its place).
template <class T>
void StepListKeep(TObjectList<T>& list)
{
    SListCursor cursor;
    list.AttachCursor(&cursor);
    while (cursor.nNext < list.Count()) {
        T* p = list.At(cursor.nNext);
        ++cursor.nNext;
        if (p != nullptr) p->Step();
    }
    list.DetachCursor(&cursor);
    if (!list.IsWalked()) list.DeleteDetached();
}

// Deletes the non-persistent enemy bullets, keeping the order of the rest
// (DeleteWhere: safe from inside any pass).
void ClearEnemyBullets();
// Deletes the enemies, every enemy bullet (persistent beams too), the score
// items, the effects, the overlay and the foreground objects, in this order.
// The sound, music and terrain lists are not touched.
void ClearWorld();

void StepWorldLists();
void StepForegroundLists();
void StepOverlayList();

// For every music object: Pause(), Resume(), or Reset() (which stops it).
void PauseMusic();
void ResumeMusic();
void StopMusic();
