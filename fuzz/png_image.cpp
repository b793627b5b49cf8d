// Pictures: PNG bytes to the texture image (alpha over black, colour key).
#include <cstddef>
#include <cstdint>

#include "platform/ResourceImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CResourceImage image;
    if (DecodeTextureImage(data, size, &image)) {
        const uint64_t pixels = static_cast<uint64_t>(image.m_nWidth) * static_cast<uint64_t>(image.m_nHeight);
        if (pixels == 0 || pixels > kMaxImagePixels || image.m_Pixels.size() != pixels * 4) __builtin_trap();
    }
    return 0;
}
