// The encoder behind CVideoWriter. It lives in a module of its own
// (platform/video, linked with FFmpeg's libraries), loaded the first time a
// video is written: FFmpeg and the ninety libraries it brings are then mapped
// only into a run that writes a video, not into every game.
#pragma once
#include <cstdint>
#include <string>

class IVideoEncoder {
public:
    virtual ~IVideoEncoder() = default;
    // As CVideoWriter::Open, the format already checked; the error is set on
    // false, and no file is left then.
    virtual bool Open(const std::string& path, bool webm, int width, int height, int fps, int audioRate,
                      std::string& error) = 0;
    virtual bool AddPicture(const uint32_t* pArgb) = 0;
    virtual bool AddSound(const int16_t* pStereo, int nFrames) = 0;
    // Completes the file; the first fault met when it is false.
    virtual bool Close(std::string& error) = 0;
    virtual bool IsOpen() const = 0;
    virtual const std::string& Fault() const = 0;
};

// The module's one entry point: a new encoder, closed.
extern "C" IVideoEncoder* MzNewVideoEncoder();
using MzNewVideoEncoderFn = IVideoEncoder* (*)();
inline constexpr const char* kVideoEncoderEntry = "MzNewVideoEncoder";
// The module's file name, beside the programs in a build, in the library
// folder of an install.
inline constexpr const char* kVideoModuleName = "mz-video.so";
