// CSkybox2: six pictures on the faces of a large cube around the eye. It turns
// with the camera but never moves, so it reads as infinitely far away.
#pragma once

#include "core/Object.h"

class CSkybox2 : public CObject {
public:
    enum EFace { FACE_FRONT, FACE_BACK, FACE_LEFT, FACE_RIGHT, FACE_TOP, FACE_BOTTOM, FACE_COUNT };
    static constexpr float kFaceSize = 200.0f;
    static constexpr float kDistance = 100.0f;

    // No faces until SetFaces.
    CSkybox2();
    // Releases and deletes the face textures.
    ~CSkybox2() override;

    // Takes ownership of the six textures (front, back, left, right, top,
    // bottom; any may be null), releasing and deleting earlier ones.
    void SetFaces(CTexture* front, CTexture* back, CTexture* left, CTexture* right, CTexture* top,
                  CTexture* bottom);

    // Fog and depth off, culling on, blending off; the view without its
    // translation; each face at 100 units, facing the centre; then the full view
    // and the usual sampling are restored.
    void Draw() override;

    // Placement of a face: the rotation that turns a quad facing -Z at +Z onto
    // that face, then the world matrix of the face.
    static void GetFaceMatrix(int face, Matrix& out);

    CTexture* m_pFaces[FACE_COUNT] = {};
};

// The sky box of the game; created and destroyed by the program's set-up.
extern CSkybox2* g_pSkybox;
