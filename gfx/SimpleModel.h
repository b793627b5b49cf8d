// CSimpleModel: a mesh placed in the world, as it is or as a mirror that shows
// the reflection texture mapped onto the play field's part of the screen.
#pragma once

#include <vector>

#include "core/Object.h"
#include "platform/Renderer.h"

class CSimpleModel : public CObject {
public:
    CSimpleModel(CModel* model, const Vec3& pos);

    void Draw() override;

    // The model's vertices with texture coordinates taken from where
    // worldViewProj projects them: the play field's 360 x 480 pixels of the
    // 1024 x 512 reflection texture. A vertex behind the eye (w <= 0) keeps the
    // coordinates of the screen centre instead of dividing by zero.
    static void BuildReflectionVertices(const CModel& model, const Matrix& worldViewProj,
                                        std::vector<RVertex>& out);

    bool m_bMirror = false;

private:
    void DrawMirror();
    std::vector<RVertex> m_Scratch;
};
