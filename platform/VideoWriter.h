// Writes what the game draws and plays to a video file ("--video-out"): WebM
// (VP9 pictures, Opus sound) or MP4 (H.264 pictures, AAC sound), chosen by the
// file's extension, through FFmpeg's libraries.
//
// The file's time is the caller's: every picture added is one frame of
// 1/fps s, and the sound is whatever stereo 16-bit frames are added, so a run
// that adds one picture and its share of the mix per step writes the game's
// time whatever the wall clock did. The sound is converted to the encoder's
// rate (48 kHz) and format.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class IVideoEncoder;

class CVideoWriter {
public:
    enum class EFormat { None, WebM, Mp4 };
    // By the extension, ignoring case: ".webm" or ".mp4"; None otherwise.
    static EFormat FormatOf(const std::string& path);

    CVideoWriter();
    ~CVideoWriter();  // finishes the file when it is still open
    CVideoWriter(const CVideoWriter&) = delete;
    CVideoWriter& operator=(const CVideoWriter&) = delete;

    // Creates (or empties) the file and sets up both encoders. False with the
    // reason when the extension names no format, an encoder is missing or the
    // file cannot be made; the writer is then closed and no file is left.
    bool Open(const std::string& path, int width, int height, int fps, int audioRate, std::string* pError);
    // One picture: width x height words 0xAARRGGBB, rows top first.
    bool AddPicture(const uint32_t* pArgb);
    // Interleaved stereo frames at the rate given to Open.
    bool AddSound(const int16_t* pStereo, int nFrames);
    // Sends what the encoders hold and completes the container. False with the
    // reason when something could not be written.
    bool Close(std::string* pError = nullptr);

    bool IsOpen() const;
    // The first fault met while writing ("" while none).
    const std::string& Fault() const;

private:
    std::unique_ptr<IVideoEncoder> m_p;  // the module's encoder while one is open
};
