#include "platform/AudioWaveFile.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "WAVE data is written as it lies in memory");

namespace {
void PutLe32(unsigned char* p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
void PutLe16(unsigned char* p, uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
// The size fields are 32-bit: stop appending before they would wrap.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 44;
}  // namespace

CWaveFileWriter::~CWaveFileWriter()
{
    Close();
}

bool CWaveFileWriter::Open(const std::string& path, int nRate)
{
    Close();
    m_pFile = std::fopen(path.c_str(), "wb");
    if (!m_pFile)
        return false;
    m_nRate = nRate;
    m_nFrames = 0;
    m_nFramesAtHeader = 0;
    m_bFull = false;
    WriteHeader();
    return std::ferror(m_pFile) == 0;
}

void CWaveFileWriter::WriteHeader()
{
    const uint32_t nData = static_cast<uint32_t>(m_nFrames * 4);
    unsigned char h[44];
    std::memcpy(h, "RIFF", 4);
    PutLe32(h + 4, 36 + nData);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLe32(h + 16, 16);
    PutLe16(h + 20, 1);
    PutLe16(h + 22, 2);
    PutLe32(h + 24, static_cast<uint32_t>(m_nRate));
    PutLe32(h + 28, static_cast<uint32_t>(m_nRate) * 4);
    PutLe16(h + 32, 4);
    PutLe16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    PutLe32(h + 40, nData);
    const long nEnd = std::ftell(m_pFile);
    std::fseek(m_pFile, 0, SEEK_SET);
    std::fwrite(h, 1, sizeof h, m_pFile);
    if (nEnd > 44)
        std::fseek(m_pFile, nEnd, SEEK_SET);
    m_nFramesAtHeader = m_nFrames;
}

void CWaveFileWriter::OnMixed(const int16_t* pStereo, int nFrames)
{
    if (!m_pFile || m_bFull || nFrames <= 0)
        return;
    if ((m_nFrames + static_cast<uint64_t>(nFrames)) * 4 > kMaxDataBytes) {
        m_bFull = true;
        return;
    }
    // WAVE data is little-endian, as are the machines this runs on.
    std::fwrite(pStereo, 4, static_cast<size_t>(nFrames), m_pFile);
    m_nFrames += static_cast<uint64_t>(nFrames);
    if (m_nFrames - m_nFramesAtHeader >= static_cast<uint64_t>(m_nRate)) {
        WriteHeader();
        std::fflush(m_pFile);
    }
}

void CWaveFileWriter::Close()
{
    if (!m_pFile)
        return;
    WriteHeader();
    std::fclose(m_pFile);
    m_pFile = nullptr;
}
