// CCameraObject: the game's one camera. Its position is the eye, its rotation
// vector the point it looks at (while it follows nothing), its aux vector the
// up direction; the stage script glides all three with the CObject tracks.
#pragma once

#include "core/Object.h"

class CCameraObject : public CObject {
public:
    CCameraObject();

    // Eye (0, 0, -10) looking at the origin, up +Y, nothing followed, no motion.
    void Reset() override;
    // Sets the view for the frame, then updates (the tracks move the camera).
    void Step() override;

    // Follow an object (look at its position) or, with null, nothing.
    void SetTarget(CObject* target) { m_pTarget = target; }
    CObject* GetTarget() const { return m_pTarget; }
    // The point looked at: the target's position, or the rotation vector.
    Vec3 GetLookAt() const;

    // The left-handed look-at view of the current eye, look-at point and up.
    // False (out untouched) when the eye is on the look-at point or up is
    // parallel to the line of sight, which defines no view.
    bool BuildView(Matrix& out) const;

    // The sky pass: the view turned like the camera's but with the eye at the
    // origin (the sky box turns, never moves); RestoreView sets the saved one.
    void ApplySkyView();
    void RestoreView();

    Matrix m_mSavedView;
    CObject* m_pTarget = nullptr;
};

// The camera, a static object; reset by the world reset and chapter set-up.
extern CCameraObject g_Camera;
extern CCameraObject* const g_pCamera;

// Left-handed look-at matrix (row vectors). False when the direction or the up
// vector leaves it undefined.
bool LookAtMatrix(const Vec3& eye, const Vec3& at, const Vec3& up, Matrix& out);
