// Meshes: .x bytes through the limits check and the importer into a model
// (no device: vertices, indices and materials only).
#include <cstddef>
#include <cstdint>
#include <string>

#include "gfx/Model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CModel model(nullptr);
    std::string why;
    if (model.LoadFromMemory(data, size, std::string(), &why)) {
        for (uint16_t i : model.Indices())
            if (i >= model.Vertices().size()) __builtin_trap();
    }
    return 0;
}
