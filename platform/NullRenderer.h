// The null back end: keeps every state and resource like the OpenGL one but draws
// nothing, for pure-logic tests and the fastest headless simulation.
#pragma once

#include "platform/Renderer.h"

class CNullRenderer : public CRenderer {
public:
    const char* Name() const override { return "null"; }

    CRenderTexture* CreateTexture(int width, int height, const uint32_t* pixels, bool mipmaps) override;
    void UpdateTexture(CRenderTexture* tex, int x, int y, int width, int height, const uint32_t* pixels) override;
    CRenderTexture* CreateRenderTarget(int width, int height) override;
    void ReleaseTexture(CRenderTexture* tex) override;
    CRenderMesh* CreateMesh(const RVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount,
                            uint32_t format) override;
    void ReleaseMesh(CRenderMesh* mesh) override;

    void Clear(bool, bool, uint32_t, float) override {}
    void Flush() override {}
    void Present(int, int) override {}
    bool ReadBackBuffer(std::vector<uint32_t>&) override { return false; }
    bool ReadPresented(std::vector<uint32_t>&) override { return false; }

protected:
    void SubmitUP(EPrimitive, int, const RVertex*, const uint16_t*, int, uint32_t) override {}
    void SubmitMesh(CRenderMesh*, int, int) override {}
};
