// What the object framework calls above itself.
//
// A few of core's world operations must touch objects that live in higher
// layers (the fader and camera in stage/, the 2D backgrounds in gfx/, the
// slow-motion controller in player/). Core cannot name those classes, so it calls
// them through this interface: the game derives a class from CWorldHooks,
// overrides what it provides and registers one instance in g_pWorldHooks at
// set-up. With no instance registered, or for a hook left as is, nothing happens.
//
// Music objects are the other upward link: see CPausableObject (core/Object.h),
// which CSound derives from; stage textures derive from CResource
// (core/Resource.h).
#pragma once

class CWorldHooks {
public:
    virtual ~CWorldHooks() = default;

    // ResetWorld: reset the global fader (switch it off).
    virtual void ResetFader() {}
    // ResetWorld: Reset() (slot 1) on the camera.
    virtual void ResetCamera() {}
    // ResetWorld: give each of the eight 2D background layers no texture.
    virtual void ClearBackgroundLayers() {}
    // StepWorldLists, first of all: the slow-motion controller's cooldown tick
    // (count down; at 0 the music it remembered resumes).
    virtual void TickSlowMotionCooldown() {}
};

// The registered hooks; null means none.
extern CWorldHooks* g_pWorldHooks;
