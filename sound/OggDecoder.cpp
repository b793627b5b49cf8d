#include "sound/OggDecoder.h"

#include <vorbis/codec.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
constexpr size_t kGrowStep = size_t(4) << 20;  // 4 MiB
constexpr size_t kFeedBytes = 4096;
constexpr size_t kHeaderBytes = 44;
// Frames decoded at a time into the image.
constexpr int kPieceFrames = 4096;

void SetError(std::string* pError, const char* pText)
{
    if (pError)
        *pError = pText;
}

void PutLe32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
void PutLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
uint32_t GetLe32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint16_t GetLe16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

// Output buffer with the header room in front, grown in whole 4 MiB steps.
class CImageBuffer {
public:
    explicit CImageBuffer(std::vector<uint8_t>& v) : m_v(v)
    {
        m_v.clear();
        m_v.reserve(kGrowStep);
        m_v.resize(kHeaderBytes);
    }
    uint8_t* Append(size_t n)
    {
        const size_t nOld = m_v.size();
        if (nOld + n > m_v.capacity()) {
            size_t nCap = m_v.capacity();
            while (nCap < nOld + n)
                nCap += kGrowStep;
            m_v.reserve(nCap);
        }
        m_v.resize(nOld + n);
        return m_v.data() + nOld;
    }

private:
    std::vector<uint8_t>& m_v;
};
}  // namespace

// The Ogg and Vorbis decoder states, released in reverse order of set-up
// whichever way decoding ends.
struct COggVorbisReader::SState {
    ogg_sync_state oy;
    ogg_stream_state os;
    vorbis_info vi;
    vorbis_comment vc;
    vorbis_dsp_state vd;
    vorbis_block vb;
    bool bStream = false;
    bool bDsp = false;
    bool bBlock = false;
    // The file, how much of it the sync layer has had, and whether it ran out.
    const uint8_t* pData = nullptr;
    size_t nSize = 0;
    size_t nRead = 0;
    bool bFileEnded = false;

    SState()
    {
        ogg_sync_init(&oy);
        vorbis_info_init(&vi);
        vorbis_comment_init(&vc);
    }
    ~SState()
    {
        if (bBlock)
            vorbis_block_clear(&vb);
        if (bDsp)
            vorbis_dsp_clear(&vd);
        if (bStream)
            ogg_stream_clear(&os);
        vorbis_comment_clear(&vc);
        vorbis_info_clear(&vi);
        ogg_sync_clear(&oy);
    }
    SState(const SState&) = delete;
    SState& operator=(const SState&) = delete;
};


COggVorbisReader::COggVorbisReader() = default;
COggVorbisReader::~COggVorbisReader() = default;

int COggVorbisReader::Channels() const
{
    return m_pState ? m_pState->vi.channels : 0;
}

long COggVorbisReader::Rate() const
{
    return m_pState ? m_pState->vi.rate : 0;
}

bool COggVorbisReader::Feed()
{
    SState& s = *m_pState;
    if (s.nRead >= s.nSize)
        return false;
    const size_t n = std::min(kFeedBytes, s.nSize - s.nRead);
    char* pDst = ogg_sync_buffer(&s.oy, static_cast<long>(n));
    if (!pDst)
        return false;
    std::memcpy(pDst, s.pData + s.nRead, n);
    ogg_sync_wrote(&s.oy, static_cast<long>(n));
    s.nRead += n;
    return true;
}

bool COggVorbisReader::Open(const uint8_t* pData, size_t nSize, std::string* pError)
{
    m_pState.reset();
    if (!pData || nSize == 0) {
        SetError(pError, "empty Ogg data");
        return false;
    }
    m_pState = std::make_unique<SState>();
    SState& s = *m_pState;
    s.pData = pData;
    s.nSize = nSize;
    ogg_page og;
    ogg_packet op;
    auto fail = [this, pError](const char* pWhy) {
        SetError(pError, pWhy);
        m_pState.reset();
        return false;
    };

    // The first page names the stream and carries the identification header.
    for (;;) {
        const int r = ogg_sync_pageout(&s.oy, &og);
        if (r == 1)
            break;
        if (!Feed())
            return fail("not an Ogg bitstream");
    }
    if (ogg_stream_init(&s.os, ogg_page_serialno(&og)) != 0)
        return fail("Ogg stream set-up failed");
    s.bStream = true;
    if (ogg_stream_pagein(&s.os, &og) < 0 || ogg_stream_packetout(&s.os, &op) != 1 ||
        vorbis_synthesis_headerin(&s.vi, &s.vc, &op) < 0)
        return fail("not a Vorbis stream");

    // The comment and setup headers, possibly spread over later pages.
    int nHeaders = 1;
    while (nHeaders < 3) {
        const int r = ogg_sync_pageout(&s.oy, &og);
        if (r == 0) {
            if (!Feed())
                return fail("the Vorbis headers are incomplete");
            continue;
        }
        if (r < 0)
            continue;  // lost sync: skip to the next page
        if (ogg_stream_pagein(&s.os, &og) < 0)
            continue;  // a page of another stream
        while (nHeaders < 3) {
            const int p = ogg_stream_packetout(&s.os, &op);
            if (p == 0)
                break;
            if (p < 0 || vorbis_synthesis_headerin(&s.vi, &s.vc, &op) < 0)
                return fail("a Vorbis header is damaged");
            ++nHeaders;
        }
    }
    if (s.vi.channels < 1 || s.vi.channels > 255 || s.vi.rate < 1 || s.vi.rate > 1000000)
        return fail("the Vorbis stream has an impossible format");
    if (vorbis_synthesis_init(&s.vd, &s.vi) != 0)
        return fail("Vorbis synthesis set-up failed");
    s.bDsp = true;
    if (vorbis_block_init(&s.vd, &s.vb) != 0)
        return fail("Vorbis synthesis set-up failed");
    s.bBlock = true;
    return true;
}

bool COggVorbisReader::NextPacket()
{
    SState& s = *m_pState;
    ogg_packet op;
    ogg_page og;
    // Audio packets of the rest of the stream, page by page (the headers' last
    // page may already hold some).
    for (;;) {
        const int p = ogg_stream_packetout(&s.os, &op);
        if (p < 0)
            continue;  // a gap in the data: go on with the next packet
        if (p > 0) {
            if (vorbis_synthesis(&s.vb, &op) == 0)
                vorbis_synthesis_blockin(&s.vd, &s.vb);
            return true;
        }
        if (s.bFileEnded || ogg_stream_eos(&s.os))
            return false;
        // Next page of our stream.
        for (;;) {
            const int r = ogg_sync_pageout(&s.oy, &og);
            if (r == 0) {
                if (!Feed()) {
                    s.bFileEnded = true;  // the file ends before the stream does
                    return false;
                }
                continue;
            }
            if (r < 0)
                continue;
            if (ogg_stream_pagein(&s.os, &og) == 0)
                break;
        }
    }
}

int COggVorbisReader::Read(int16_t* pOut, int nFrames)
{
    if (!m_pState || nFrames <= 0)
        return 0;
    SState& s = *m_pState;
    const int nChannels = s.vi.channels;
    int nDone = 0;
    while (nDone < nFrames) {
        float** ppPcm = nullptr;
        const int nReady = vorbis_synthesis_pcmout(&s.vd, &ppPcm);
        if (nReady <= 0) {
            if (!NextPacket())
                break;
            continue;
        }
        const int n = std::min(nReady, nFrames - nDone);
        for (int c = 0; pOut && c < nChannels; ++c) {
            const float* pSrc = ppPcm[c];
            int16_t* q = pOut + static_cast<size_t>(nDone) * static_cast<size_t>(nChannels) + c;
            for (int i = 0; i < n; ++i) {
                // Integer part, clipped to the 16-bit range.
                int v = static_cast<int>(pSrc[i] * 32767.0f);
                v = v > 32767 ? 32767 : (v < -32768 ? -32768 : v);
                *q = static_cast<int16_t>(v);
                q += nChannels;
            }
        }
        vorbis_synthesis_read(&s.vd, n);
        nDone += n;
    }
    return nDone;
}

bool DecodeOggToWave(const uint8_t* pData, size_t nSize, std::vector<uint8_t>& image, std::string* pError,
                     size_t nMaxPcmBytes)
{
    image.clear();
    COggVorbisReader reader;
    if (!reader.Open(pData, nSize, pError))
        return false;
    const int nChannels = reader.Channels();
    const long nRate = reader.Rate();

    CImageBuffer out(image);
    size_t nPcmBytes = 0;
    std::vector<int16_t> piece(static_cast<size_t>(kPieceFrames) * static_cast<size_t>(nChannels));
    for (;;) {
        const int n = reader.Read(piece.data(), kPieceFrames);
        if (n <= 0)
            break;
        const size_t nBytes = static_cast<size_t>(n) * static_cast<size_t>(nChannels) * 2;
        if (nPcmBytes + nBytes > nMaxPcmBytes) {
            image.clear();
            SetError(pError, "the decoded sound is too long");
            return false;
        }
        uint8_t* pDst = out.Append(nBytes);
        for (size_t i = 0; i < nBytes / 2; ++i)
            PutLe16(pDst + 2 * i, static_cast<uint16_t>(piece[i]));
        nPcmBytes += nBytes;
    }
    if (nPcmBytes == 0 || nPcmBytes > 0xFFFFFFFFu - kHeaderBytes) {
        image.clear();
        SetError(pError, nPcmBytes == 0 ? "the Vorbis stream holds no sound" : "the decoded sound is too long");
        return false;
    }

    uint8_t* h = image.data();
    const uint32_t nTotal = static_cast<uint32_t>(image.size());
    std::memcpy(h, "RIFF", 4);
    PutLe32(h + 4, nTotal - 8);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    PutLe32(h + 16, 16);
    PutLe16(h + 20, 1);
    PutLe16(h + 22, static_cast<uint16_t>(nChannels));
    PutLe32(h + 24, static_cast<uint32_t>(nRate));
    PutLe32(h + 28, static_cast<uint32_t>(nRate) * static_cast<uint32_t>(nChannels) * 2u);
    PutLe16(h + 32, static_cast<uint16_t>(nChannels * 2));
    PutLe16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    PutLe32(h + 40, nTotal - 44);
    return true;
}

bool ParseWaveImage(const uint8_t* pImage, size_t nSize, SWaveInfo& info, std::string* pError)
{
    info = SWaveInfo();
    if (!pImage || nSize < 12 || std::memcmp(pImage, "RIFF", 4) != 0 || std::memcmp(pImage + 8, "WAVE", 4) != 0) {
        SetError(pError, "not a RIFF/WAVE image");
        return false;
    }
    // The RIFF chunk may claim less than the image holds, never more.
    const size_t nRiffEnd = std::min<size_t>(nSize, size_t(8) + GetLe32(pImage + 4));
    bool bFmt = false;
    size_t nPos = 12;
    while (nPos + 8 <= nRiffEnd) {
        const uint8_t* pChunk = pImage + nPos;
        const size_t nChunk = GetLe32(pChunk + 4);
        const size_t nBody = nPos + 8;
        if (std::memcmp(pChunk, "fmt ", 4) == 0) {
            if (nChunk < 16 || nBody + 16 > nRiffEnd) {
                SetError(pError, "the \"fmt \" chunk is too short");
                return false;
            }
            const uint8_t* f = pImage + nBody;
            if (GetLe16(f) != 1) {
                SetError(pError, "the sound is not PCM");
                return false;
            }
            info.nChannels = GetLe16(f + 2);
            info.nRate = static_cast<int>(std::min<uint32_t>(GetLe32(f + 4), 0x7FFFFFFF));
            info.nBitsPerSample = GetLe16(f + 14);
            if (info.nBitsPerSample != 16 || info.nChannels < 1 || info.nChannels > 2) {
                SetError(pError, "only 16-bit mono or stereo PCM is played");
                return false;
            }
            bFmt = true;
        } else if (std::memcmp(pChunk, "data", 4) == 0) {
            if (!bFmt) {
                SetError(pError, "the \"data\" chunk comes before \"fmt \"");
                return false;
            }
            if (nChunk > nRiffEnd - nBody) {
                SetError(pError, "the \"data\" chunk is cut short");
                return false;
            }
            info.nDataOffset = nBody;
            info.nDataBytes = static_cast<uint32_t>(nChunk);
            return true;
        }
        // Chunks are padded to an even size.
        const size_t nSkip = nChunk + (nChunk & 1);
        if (nSkip > nRiffEnd - nBody)
            break;
        nPos = nBody + nSkip;
    }
    SetError(pError, bFmt ? "no \"data\" chunk" : "no \"fmt \" chunk");
    return false;
}
