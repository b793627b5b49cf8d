// CBG: one 10-unit chunk of the endlessly scrolling 3D background. A chunk that
// scrolls below its spawn line appends the next chunk 10 units above it, and it
// dies below its kill line, so a chain of chunks scrolls forever. Chunks move
// with the anchor's velocity and are tilted by its rotation (the world anchor,
// whose velocity the stage script sets as the scroll speed).
#pragma once

#include "core/Object.h"

// Backgrounds are drawn only while this is set (on by default).
extern bool g_bBGEnabled;

class CBG : public CObject {
public:
    static constexpr float kChunkLength = 10.0f;

    // anchor may be null: the chunk then keeps its own velocity and no tilt.
    CBG(CModel* model, CObject* anchor);

    // The first chunk of a chain at pos with the given lines, added to the
    // effects list (its successors go there too).
    static CBG* SpawnChain(CModel* model, CObject* anchor, const Vec3& pos, float spawnY, float killY);

    void Update() override;
    void Draw() override;

    bool m_bSpawned = false;
    float m_fSpawnY = 5.0f;
    float m_fKillY = 10.0f;
    CObject* m_pAnchor = nullptr;
};
