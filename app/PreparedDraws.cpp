#include "app/PreparedDraws.h"

#include <iterator>

#include "gfx/GraphicsDevice.h"

// As the renderer writes them: the vertex format; points, lines or triangles;
// a mesh or not; whether the vertices share one clip-space w; the render states
// z, z write, fill, cull, blend, source and destination factor, alpha test and
// function, fog, lighting, vertex colour; the light; the texture stage; the
// sampler; the kind of texture; whether lit draws of several materials share
// the batch. PreparedDraws.EveryKindTheGameDrawsIsPrepared names any kind
// missing here.
const char* const kMenuDrawKinds[] = {
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,2,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt 5 prim 1 mesh 0 samew 1 states 0,0,3,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt 5 prim 2 mesh 0 samew 1 states 0,0,3,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt a prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt a prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,0,5,6,0,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 11 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,0,5,6,0,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,2,2,2 texture 9 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,2,2,1,5,0,0,1 light 1 stage 4,2,0,2,2,0 sampler 3,3,1,1,0 texture 13 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 11 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 13 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 7 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,2,2,2 texture 9 materials 0",
};
const size_t kMenuDrawKindCount = std::size(kMenuDrawKinds);

const char* const kPlayDrawKinds[] = {
    "fmt 2 prim 2 mesh 1 samew 0 states 0,0,2,1,1,5,6,0,8,1,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,2,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,2,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,2,1,1,5,6,0,8,1,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,2,1,1,5,6,0,8,1,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,2,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,2,3,1,5,6,0,8,1,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt 2 prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt 4 prim 2 mesh 0 samew 1 states 1,1,3,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 3,3,2,2,0 texture 0 materials 0",
    "fmt 4 prim 2 mesh 0 samew 1 states 1,1,3,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 3,3,2,2,0 texture 0 materials 1",
    "fmt 5 prim 1 mesh 0 samew 1 states 0,0,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt 5 prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt a prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 0 materials 0",
    "fmt a prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,1,1,0 texture 15 materials 0",
    "fmt a prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,1,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt a prim 2 mesh 1 samew 0 states 1,1,3,1,1,5,6,0,8,1,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 15 materials 0",
    "fmt c prim 1 mesh 0 samew 0 states 0,0,2,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt c prim 1 mesh 0 samew 0 states 0,0,2,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 1",
    "fmt c prim 1 mesh 0 samew 0 states 0,0,2,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt c prim 1 mesh 0 samew 0 states 0,0,2,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 1",
    "fmt c prim 1 mesh 0 samew 1 states 0,0,2,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt c prim 1 mesh 0 samew 1 states 0,0,2,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 1",
    "fmt c prim 1 mesh 0 samew 1 states 0,0,2,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt c prim 1 mesh 0 samew 1 states 0,0,2,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 1",
    "fmt c prim 2 mesh 0 samew 0 states 0,0,3,1,1,2,2,0,8,0,1,1 light 1 stage 4,2,1,2,2,0 sampler 1,1,0,0,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 0 states 0,0,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt c prim 2 mesh 0 samew 0 states 0,0,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 3,3,2,2,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 0 states 0,0,3,3,1,2,2,0,8,0,1,1 light 1 stage 4,2,1,2,2,0 sampler 1,1,0,0,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 0 states 1,1,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 1,1,0,0,0 texture 0 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,0,5,6,0,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 11 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,0,5,6,0,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 13 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,0,5,6,0,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,0,5,6,0,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 9 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,0,5,6,0,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,2,2,2 texture 9 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,2,2,0,8,0,1,1 light 1 stage 4,2,1,2,2,0 sampler 1,1,0,0,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,2,2,0,8,1,1,1 light 1 stage 4,2,1,2,2,0 sampler 1,1,0,0,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 3,3,2,2,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 11 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 13 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 7 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,1,1,0 texture 9 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,2,2,2 texture 11 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,2,2,2 texture 13 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,2,2,2 texture 9 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,3,1,2,2,0,8,0,1,1 light 1 stage 4,2,1,2,2,0 sampler 1,1,0,0,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 0,0,3,3,1,5,6,0,8,0,1,1 light 1 stage 4,2,1,4,2,0 sampler 3,3,2,2,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 1,1,3,1,1,2,2,0,8,0,1,1 light 1 stage 4,2,1,2,2,0 sampler 1,1,0,0,0 texture 15 materials 0",
    "fmt c prim 2 mesh 0 samew 1 states 1,1,3,1,1,5,6,1,5,0,0,1 light 1 stage 4,2,0,4,2,0 sampler 3,3,2,2,2 texture 13 materials 0",
};
const size_t kPlayDrawKindCount = std::size(kPlayDrawKinds);

void PrepareMenuDrawing()
{
    if (g_pDevice) g_pDevice->PrepareDrawKinds(kMenuDrawKinds, static_cast<int>(kMenuDrawKindCount));
}

void PreparePlayDrawing()
{
    if (g_pDevice) g_pDevice->PrepareDrawKinds(kPlayDrawKinds, static_cast<int>(kPlayDrawKindCount));
}
