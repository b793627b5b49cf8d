// Makes Ogg Vorbis files in memory for the sound tests and benchmarks.
#pragma once
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

// Encodes interleaved 16-bit PCM (frames x channels) at the given VBR quality.
inline std::vector<uint8_t> EncodeOgg(const std::vector<int16_t>& pcm, int nChannels, int nRate,
                                      float fQuality = 0.1f)
{
    std::vector<uint8_t> out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, nChannels, nRate, fQuality) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1234);
    ogg_packet h0, h1, h2;
    vorbis_analysis_headerout(&vd, &vc, &h0, &h1, &h2);
    ogg_stream_packetin(&os, &h0);
    ogg_stream_packetin(&os, &h1);
    ogg_stream_packetin(&os, &h2);
    ogg_page og;
    auto put = [&out](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    while (ogg_stream_flush(&os, &og) != 0)
        put(og);

    const size_t nFrames = pcm.size() / static_cast<size_t>(nChannels);
    size_t nDone = 0;
    bool bEos = false;
    while (!bEos) {
        const size_t n = std::min<size_t>(1024, nFrames - nDone);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < nChannels; ++c)
                    buf[c][i] = pcm[(nDone + i) * static_cast<size_t>(nChannels) + static_cast<size_t>(c)] / 32768.0f;
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            nDone += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og) != 0) {
                    put(og);
                    if (ogg_page_eos(&og))
                        bEos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

// A sine tone, the same in every channel, at the given amplitude (of 32767).
inline std::vector<int16_t> MakeTone(size_t nFrames, int nChannels, int nRate, double fHz, double fAmp = 0.5)
{
    std::vector<int16_t> pcm(nFrames * static_cast<size_t>(nChannels));
    for (size_t i = 0; i < nFrames; ++i) {
        const double v = fAmp * 32767.0 * std::sin(2.0 * M_PI * fHz * static_cast<double>(i) / nRate);
        for (int c = 0; c < nChannels; ++c)
            pcm[i * static_cast<size_t>(nChannels) + static_cast<size_t>(c)] = static_cast<int16_t>(v);
    }
    return pcm;
}

// Deterministic white noise (it compresses poorly, so the file spans many pages).
inline std::vector<int16_t> MakeNoise(size_t nFrames, int nChannels, double fAmp = 0.3)
{
    std::vector<int16_t> pcm(nFrames * static_cast<size_t>(nChannels));
    uint32_t x = 12345;
    for (int16_t& s : pcm) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<int16_t>(fAmp * (static_cast<int32_t>(x >> 16) - 32768));
    }
    return pcm;
}
