// The base of the loaded resources a stage controller owns (its textures).
//
// CTexture (gfx/) derives from CResource, so the controller can release and
// delete the textures of a stage without knowing the graphics layer. Put them
// into CStageControler::m_Resources through AddResource.
#pragma once

class CResource {
public:
    virtual ~CResource() = default;
    // Frees what the resource holds on the device; the object is deleted after.
    virtual void Release() {}
};
