// Ogg Vorbis decoding into the RIFF/WAVE image and reading the image back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <vorbis/vorbisfile.h>

#include <algorithm>

#include "sound/OggDecoder.h"
#include "tests/sound/OggFixture.h"

namespace {

uint32_t Le32(const std::vector<uint8_t>& v, size_t at)
{
    return uint32_t(v[at]) | uint32_t(v[at + 1]) << 8 | uint32_t(v[at + 2]) << 16 | uint32_t(v[at + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& v, size_t at)
{
    return static_cast<uint16_t>(v[at] | v[at + 1] << 8);
}

// A hand-made image: "RIFF" size "WAVE", then the given chunks.
std::vector<uint8_t> Image(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks)
{
    std::vector<uint8_t> v = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    for (const auto& c : chunks) {
        v.insert(v.end(), c.first.begin(), c.first.end());
        const uint32_t n = static_cast<uint32_t>(c.second.size());
        for (int i = 0; i < 4; ++i)
            v.push_back(static_cast<uint8_t>(n >> (8 * i)));
        v.insert(v.end(), c.second.begin(), c.second.end());
        if (n & 1)
            v.push_back(0);
    }
    const uint32_t nRiff = static_cast<uint32_t>(v.size() - 8);
    for (int i = 0; i < 4; ++i)
        v[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(nRiff >> (8 * i));
    return v;
}

std::vector<uint8_t> Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    std::vector<uint8_t> f(16);
    auto put16 = [&f](size_t at, uint16_t x) { f[at] = uint8_t(x); f[at + 1] = uint8_t(x >> 8); };
    auto put32 = [&f](size_t at, uint32_t x) { for (int i = 0; i < 4; ++i) f[at + size_t(i)] = uint8_t(x >> (8 * i)); };
    put16(0, tag);
    put16(2, channels);
    put32(4, rate);
    put32(8, rate * channels * bits / 8);
    put16(12, static_cast<uint16_t>(channels * bits / 8));
    put16(14, bits);
    return f;
}

}  // namespace

TEST(OggDecoder, WritesTheCanonicalWaveHeader)
{
    struct Case {
        int channels, rate;
        size_t frames;
    } cases[] = {{1, 22050, 5000}, {2, 44100, 12345}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        const std::vector<uint8_t> ogg = EncodeOgg(MakeTone(c.frames, c.channels, c.rate, 440.0), c.channels, c.rate);
        ASSERT_FALSE(ogg.empty());
        std::vector<uint8_t> img;
        std::string error;
        ASSERT_TRUE(DecodeOggToWave(ogg.data(), ogg.size(), img, &error)) << error;
        const size_t nData = c.frames * static_cast<size_t>(c.channels) * 2;  // Vorbis keeps the exact length
        ASSERT_EQ(img.size(), 44 + nData);
        EXPECT_EQ(std::memcmp(img.data(), "RIFF", 4), 0);
        EXPECT_EQ(Le32(img, 4), img.size() - 8);
        EXPECT_EQ(std::memcmp(img.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(Le32(img, 16), 16u);
        EXPECT_EQ(Le16(img, 20), 1u);
        EXPECT_EQ(Le16(img, 22), c.channels);
        EXPECT_EQ(Le32(img, 24), static_cast<uint32_t>(c.rate));
        EXPECT_EQ(Le32(img, 28), static_cast<uint32_t>(c.rate * c.channels * 2));
        EXPECT_EQ(Le16(img, 32), c.channels * 2);
        EXPECT_EQ(Le16(img, 34), 16u);
        EXPECT_EQ(std::memcmp(img.data() + 36, "data", 4), 0);
        EXPECT_EQ(Le32(img, 40), nData);

        SWaveInfo info;
        ASSERT_TRUE(ParseWaveImage(img.data(), img.size(), info, &error)) << error;
        EXPECT_EQ(info.nChannels, c.channels);
        EXPECT_EQ(info.nRate, c.rate);
        EXPECT_EQ(info.nDataOffset, 44u);
        EXPECT_EQ(info.nDataBytes, nData);
    }
}

TEST(OggDecoder, DecodesMoreThanFourMebibytesWhole)
{
    // 26 s of 44.1 kHz stereo: 4.6 MB of PCM, past the first 4 MiB of buffer.
    const int rate = 44100;
    const size_t frames = 26 * static_cast<size_t>(rate);
    const std::vector<int16_t> pcm = MakeTone(frames, 2, rate, 220.0, 0.5);
    const std::vector<uint8_t> ogg = EncodeOgg(pcm, 2, rate, 0.0f);
    std::vector<uint8_t> img;
    std::string error;
    ASSERT_TRUE(DecodeOggToWave(ogg.data(), ogg.size(), img, &error)) << error;
    ASSERT_GT(frames * 4, size_t(4) << 20);
    ASSERT_EQ(img.size(), 44 + frames * 4);
    EXPECT_EQ(img.capacity(), size_t(8) << 20);  // grown by one 4 MiB step
    // The tail is the tone, not silence or garbage: compare the last second.
    double err = 0.0, ref = 0.0;
    for (size_t i = frames - static_cast<size_t>(rate); i < frames; ++i) {
        const int16_t got = static_cast<int16_t>(Le16(img, 44 + 4 * i));
        err += std::pow(got - pcm[2 * i], 2);
        ref += std::pow(pcm[2 * i], 2);
    }
    EXPECT_LT(err / ref, 0.01);
}

TEST(OggDecoder, TakesTheIntegerPartOfEachSampleClipped)
{
    // A full-scale square wave overshoots after lossy coding, so both the
    // truncation and the clipping show. Compared with libvorbis's own float
    // output of the same file.
    std::vector<int16_t> pcm(20000);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = (i / 50) % 2 ? 32767 : -32768;
    std::vector<uint8_t> ogg = EncodeOgg(pcm, 1, 22050, 0.5f);
    std::vector<uint8_t> img;
    ASSERT_TRUE(DecodeOggToWave(ogg.data(), ogg.size(), img));

    struct SMem {
        std::vector<uint8_t>* p;
        size_t pos;
    } mem{&ogg, 0};
    ov_callbacks cb{};
    cb.read_func = [](void* dst, size_t size, size_t n, void* src) -> size_t {
        SMem* m = static_cast<SMem*>(src);
        const size_t k = std::min(size * n, m->p->size() - m->pos);
        std::memcpy(dst, m->p->data() + m->pos, k);
        m->pos += k;
        return size ? k / size : 0;
    };
    OggVorbis_File vf;
    ASSERT_EQ(ov_open_callbacks(&mem, &vf, nullptr, 0, cb), 0);
    std::vector<int16_t> expect;
    for (;;) {
        float** pp = nullptr;
        int bitstream = 0;
        const long n = ov_read_float(&vf, &pp, 4096, &bitstream);
        if (n <= 0)
            break;
        for (long i = 0; i < n; ++i) {
            const int v = static_cast<int>(pp[0][i] * 32767.0f);  // toward zero
            expect.push_back(static_cast<int16_t>(std::clamp(v, -32768, 32767)));
        }
    }
    ov_clear(&vf);
    ASSERT_EQ(expect.size(), (img.size() - 44) / 2);
    int nClipped = 0;
    for (size_t i = 0; i < expect.size(); ++i) {
        ASSERT_EQ(static_cast<int16_t>(Le16(img, 44 + 2 * i)), expect[i]) << "sample " << i;
        nClipped += expect[i] == 32767 || expect[i] == -32768;
    }
    EXPECT_GT(nClipped, 0);
}

TEST(OggDecoder, RefusesDamagedData)
{
    const std::vector<uint8_t> good = EncodeOgg(MakeTone(20000, 1, 22050, 440.0), 1, 22050);
    ASSERT_GT(good.size(), 200u);
    std::vector<uint8_t> garbage(5000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<uint8_t>(i * 7919u >> 3);
    // The second page holds the comment and setup headers: damage it, and the
    // page's checksum makes the headers unreadable.
    std::vector<uint8_t> badSetup = good;
    const size_t nFirstPage = 27 + 1 + 30;  // page header, one lacing byte, the identification packet
    badSetup[nFirstPage + 40] ^= 0x55;
    std::vector<uint8_t> cut(good.begin(), good.begin() + 100);
    std::vector<uint8_t> notVorbis = good;
    notVorbis[29] = 'x';  // "\x01vorbis" becomes "\x01xorbis" (and the page fails its checksum)

    struct Case {
        const char* what;
        std::vector<uint8_t> data;
    } cases[] = {{"empty", {}}, {"garbage", garbage}, {"damaged setup header", badSetup},
                 {"cut inside the headers", cut}, {"not Vorbis", notVorbis}};
    for (const Case& c : cases) {
        std::vector<uint8_t> img = {1, 2, 3};
        std::string error;
        EXPECT_FALSE(DecodeOggToWave(c.data.data(), c.data.size(), img, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_TRUE(img.empty()) << c.what;
    }
}

TEST(OggDecoder, KeepsWhatWasDecodedOfAFileThatEndsEarly)
{
    const std::vector<uint8_t> good = EncodeOgg(MakeNoise(60000, 1), 1, 22050, 0.5f);
    ASSERT_GT(good.size(), 20000u);
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(good.size() * 2 / 3));
    std::vector<uint8_t> img;
    std::string error;
    ASSERT_TRUE(DecodeOggToWave(cut.data(), cut.size(), img, &error)) << error << " " << good.size();
    EXPECT_GT(img.size(), 44u + 2 * 10000);
    EXPECT_LT(img.size(), 44u + 2 * 60000);
    EXPECT_EQ(Le32(img, 40), img.size() - 44);
}

TEST(OggDecoder, StopsAtTheSizeLimit)
{
    const std::vector<uint8_t> ogg = EncodeOgg(MakeTone(50000, 1, 22050, 440.0), 1, 22050);
    std::vector<uint8_t> img;
    std::string error;
    EXPECT_FALSE(DecodeOggToWave(ogg.data(), ogg.size(), img, &error, 40000));
    EXPECT_TRUE(img.empty());
    EXPECT_TRUE(DecodeOggToWave(ogg.data(), ogg.size(), img, &error, 100000));
}

// The reader a streamed sound decodes with gives, in pieces of any size and
// after starting over, the very samples the whole decoding writes; dropped
// frames (a null destination) count like read ones; a file cut short ends it
// where the whole decoding ends.
TEST(OggDecoder, ReaderGivesTheWholeDecodingsSamplesInAnyPieces)
{
    const std::vector<uint8_t> full = EncodeOgg(MakeNoise(30000, 2), 2, 22050, 0.5f);
    const std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(full.size() / 2));
    for (const std::vector<uint8_t>* ogg : {&full, &cut}) {
        std::vector<uint8_t> img;
        ASSERT_TRUE(DecodeOggToWave(ogg->data(), ogg->size(), img));
        std::vector<int16_t> expect((img.size() - 44) / 2);
        std::memcpy(expect.data(), img.data() + 44, expect.size() * 2);
        COggVorbisReader reader;
        for (int nPiece : {1, 7, 1000, 4096, 100000}) {
            SCOPED_TRACE(nPiece);
            ASSERT_TRUE(reader.Open(ogg->data(), ogg->size()));  // from the start again
            EXPECT_EQ(reader.Channels(), 2);
            EXPECT_EQ(reader.Rate(), 22050);
            std::vector<int16_t> got;
            std::vector<int16_t> piece(2 * static_cast<size_t>(nPiece));
            for (int n; (n = reader.Read(piece.data(), nPiece)) > 0;)
                got.insert(got.end(), piece.begin(), piece.begin() + 2 * n);
            ASSERT_EQ(got, expect);
            EXPECT_EQ(reader.Read(piece.data(), nPiece), 0);
        }
        ASSERT_TRUE(reader.Open(ogg->data(), ogg->size()));
        ASSERT_EQ(reader.Read(nullptr, 5000), 5000);
        int16_t next[2];
        ASSERT_EQ(reader.Read(next, 1), 1);
        EXPECT_EQ(next[0], expect[10000]);
        EXPECT_EQ(next[1], expect[10001]);
    }
    COggVorbisReader reader;
    std::string error;
    const std::vector<uint8_t> junk(3000, 0x4F);
    EXPECT_FALSE(reader.Open(junk.data(), junk.size(), &error));
    EXPECT_EQ(error, "not an Ogg bitstream");
    int16_t sample[2];
    EXPECT_EQ(reader.Read(sample, 1), 0);
}

TEST(WaveImage, ReadsOnlyWholePcmImages)
{
    const std::vector<uint8_t> pcm4 = {1, 0, 2, 0, 3, 0, 4, 0};
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
        bool ok;
    } cases[] = {
        {"PCM", Image({{"fmt ", Fmt(1, 1, 22050, 16)}, {"data", pcm4}}), true},
        {"other chunks skipped, odd sizes padded",
         Image({{"LIST", {1, 2, 3}}, {"fmt ", Fmt(1, 2, 44100, 16)}, {"fact", {0}}, {"data", pcm4}}), true},
        {"IEEE float, not PCM", Image({{"fmt ", Fmt(3, 1, 22050, 32)}, {"data", pcm4}}), false},
        {"ADPCM, not PCM", Image({{"fmt ", Fmt(2, 1, 22050, 4)}, {"data", pcm4}}), false},
        {"8-bit PCM", Image({{"fmt ", Fmt(1, 1, 22050, 8)}, {"data", pcm4}}), false},
        {"six channels", Image({{"fmt ", Fmt(1, 6, 22050, 16)}, {"data", pcm4}}), false},
        {"no fmt", Image({{"data", pcm4}}), false},
        {"no data", Image({{"fmt ", Fmt(1, 1, 22050, 16)}}), false},
        {"short fmt", Image({{"fmt ", {1, 0, 1, 0}}, {"data", pcm4}}), false},
        {"not RIFF", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, false},
        {"too short", {'R', 'I', 'F', 'F'}, false},
    };
    for (const Case& c : cases) {
        SWaveInfo info;
        std::string error;
        EXPECT_EQ(ParseWaveImage(c.image.data(), c.image.size(), info, &error), c.ok) << c.what << ": " << error;
        if (c.ok)
            EXPECT_EQ(info.nDataBytes, 8u) << c.what;
        else
            EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(WaveImage, RefusesADataChunkLongerThanTheImage)
{
    std::vector<uint8_t> img = Image({{"fmt ", Fmt(1, 1, 22050, 16)}, {"data", {1, 0, 2, 0}}});
    img[img.size() - 8] = 0xFF;  // data chunk claims 255 bytes
    SWaveInfo info;
    EXPECT_FALSE(ParseWaveImage(img.data(), img.size(), info));
    // A huge chunk size elsewhere cannot send the reader out of the image.
    std::vector<uint8_t> skip = Image({{"JUNK", {0, 0}}, {"fmt ", Fmt(1, 1, 22050, 16)}, {"data", {1, 0}}});
    skip[16] = skip[17] = skip[18] = skip[19] = 0xFF;
    EXPECT_FALSE(ParseWaveImage(skip.data(), skip.size(), info));
}
