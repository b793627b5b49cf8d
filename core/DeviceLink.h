// The narrow view of the graphics device that the object framework needs.
//
// The graphics device (gfx/) derives from CDeviceLink and implements these
// operations; core never sees anything else of it. CObject's device-taking
// constructors record the device in g_pDeviceLink (the program entry may also
// set it directly). While g_pDeviceLink is null every call from core is skipped,
// so pure-logic code and tests run without a device; a test double may derive
// from CDeviceLink to observe the calls.
#pragma once

#include "core/Math.h"

class CDeviceLink {
public:
    virtual ~CDeviceLink() = default;

    // Slow motion: true while the device's slow-motion countdown is above 0.
    virtual bool IsSlowMotion() const = 0;
    // The slow-motion phase bit; it flips on every device update while the
    // countdown runs. Objects update only on frames where it is set.
    virtual bool SlowMotionToggle() const = 0;

    // The world transform for the next drawing calls.
    virtual void SetWorldTransform(const Matrix& world) = 0;
    // The current view transform (billboards invert its rotation).
    virtual void GetViewTransform(Matrix& out) const = 0;

    // 0: wrapped addressing, no filtering. Any other value: clamped, linear.
    // The enemy-bullet pass switches it on and back off.
    virtual void SetTextureFilter(int mode) = 0;
    // Clears the depth buffer only (to 1.0).
    virtual void ClearDepth() = 0;
    // Fog colour, integers 0 ... 255 each (masked to 8 bits by the device).
    virtual void SetFogColor(int r, int g, int b) = 0;
    // Binds no texture to the given texture stage.
    virtual void UnbindTexture(int stage) = 0;
};

// The device the object framework talks to; null when there is none.
extern CDeviceLink* g_pDeviceLink;
