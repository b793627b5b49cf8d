// Ogg Vorbis, decoded completely into a RIFF/WAVE image in memory or a piece at
// a time, and the reading of such an image back into the format and the PCM
// data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The most PCM a sound may decode to, so that a damaged or hostile file cannot
// exhaust memory or time.
constexpr size_t kMaxDecodedPcmBytes = size_t(512) << 20;

// Decodes the first logical Vorbis stream of an Ogg file into a canonical
// 44-byte-header RIFF/WAVE image of signed 16-bit samples (each float sample
// taken as the integer part of sample x 32767, clipped). The buffer starts at
// 4 MiB and grows in 4 MiB steps. A file that ends early keeps what was decoded;
// a file whose headers cannot be read, or that decodes to nothing, fails with a
// reason in *pError. Output beyond nMaxPcmBytes of PCM also fails.
bool DecodeOggToWave(const uint8_t* pData, size_t nSize, std::vector<uint8_t>& image,
                     std::string* pError = nullptr, size_t nMaxPcmBytes = kMaxDecodedPcmBytes);

// The first logical Vorbis stream of an Ogg file, decoded a piece at a time:
// the same samples, in the same order, as DecodeOggToWave writes. The data must
// stay in place while the reader uses it.
class COggVorbisReader {
public:
    COggVorbisReader();
    ~COggVorbisReader();
    COggVorbisReader(const COggVorbisReader&) = delete;
    COggVorbisReader& operator=(const COggVorbisReader&) = delete;

    // Reads the headers; false, with the reason, when they cannot be read. Open
    // again to start over from the first sample.
    bool Open(const uint8_t* pData, size_t nSize, std::string* pError = nullptr);
    int Channels() const;
    long Rate() const;
    // Writes up to nFrames frames of interleaved 16-bit samples and returns how
    // many; fewer only where the stream (or the file) ends. With pOut null the
    // frames are decoded and dropped.
    int Read(int16_t* pOut, int nFrames);

private:
    struct SState;
    bool Feed();
    bool NextPacket();
    std::unique_ptr<SState> m_pState;
};

struct SWaveInfo {
    int nChannels = 0;
    int nRate = 0;
    int nBitsPerSample = 0;
    size_t nDataOffset = 0;  // of the first sample in the image
    uint32_t nDataBytes = 0;
};

// Walks the chunks of a RIFF/WAVE image: the "RIFF" chunk of form "WAVE", its
// "fmt " chunk, which must be PCM (format tag 1) of 16 bits in one or two
// channels, and its "data" chunk, which must lie wholly inside the image. Other
// chunks are skipped. False, with the reason, for anything else.
bool ParseWaveImage(const uint8_t* pImage, size_t nSize, SWaveInfo& info, std::string* pError = nullptr);
