// Sounds: Ogg Vorbis bytes decoded to the PCM image, and the image's chunks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/OggDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> image;
    // A bound well below the game's, so that the fuzzer stays fast.
    if (DecodeOggToWave(data, size, image, nullptr, size_t(16) << 20)) {
        // The player takes mono and stereo: those images must read back.
        SWaveInfo info;
        if (image[22] <= 2 && image[23] == 0 && !ParseWaveImage(image.data(), image.size(), info)) __builtin_trap();
    }
    SWaveInfo info;
    (void)ParseWaveImage(data, size, info);
    return 0;
}
