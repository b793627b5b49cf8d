#include "tools/assetgen/sounds_ogg.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/assetgen/sounds_dsp.h"

namespace snd {

namespace {

void AppendPage(std::vector<unsigned char>& out, const ogg_page& page)
{
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

bool EncodeOggVorbis(const std::vector<float>& samples, int channels, float quality, int serial,
                     std::vector<unsigned char>& out)
{
    out.clear();
    if (channels < 1 || channels > 2 || samples.size() % channels != 0) {
        std::fprintf(stderr, "sounds: bad sample layout\n");
        return false;
    }
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, kRate, quality) != 0) {
        std::fprintf(stderr, "sounds: the Vorbis encoder refused %d channels at quality %.2f\n", channels,
                     static_cast<double>(quality));
        vorbis_info_clear(&vi);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&vd, &vc, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &headerComment);
    ogg_stream_packetin(&os, &headerCode);
    ogg_page page;
    // Audio starts on a fresh page, as decoders expect.
    while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);

    const long frames = static_cast<long>(samples.size() / channels);
    const long kChunk = 1024;
    long done = 0;
    bool eos = false;
    while (!eos) {
        long n = std::min(kChunk, frames - done);
        if (n > 0) {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buf[c][i] = std::clamp(samples[(done + i) * channels + c], -1.0f, 1.0f);
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        } else {
            vorbis_analysis_wrote(&vd, 0);  // end of stream
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) == 1) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    AppendPage(out, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (n <= 0 && !eos) {
            while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);
            eos = true;
        }
    }

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return true;
}

bool DecodeOggVorbis(const std::vector<unsigned char>& data, std::vector<float>& samples, int& channels)
{
    samples.clear();
    channels = 0;
    ogg_sync_state oy;
    ogg_sync_init(&oy);
    ogg_stream_state os;
    bool haveStream = false;
    vorbis_info vi;
    vorbis_comment vc;
    vorbis_info_init(&vi);
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    bool synthesis = false;
    int headers = 0;
    bool ok = true;

    size_t fed = 0;
    ogg_page page;
    ogg_packet packet;
    while (ok) {
        int r = ogg_sync_pageout(&oy, &page);
        if (r == 0) {
            if (fed >= data.size()) break;
            size_t n = std::min<size_t>(4096, data.size() - fed);
            char* buf = ogg_sync_buffer(&oy, static_cast<long>(n));
            std::memcpy(buf, data.data() + fed, n);
            ogg_sync_wrote(&oy, static_cast<long>(n));
            fed += n;
            continue;
        }
        if (r < 0) continue;  // skipped bytes; keep looking for pages
        if (!haveStream) {
            ogg_stream_init(&os, ogg_page_serialno(&page));
            haveStream = true;
        }
        if (ogg_stream_pagein(&os, &page) != 0) continue;
        while (ok && ogg_stream_packetout(&os, &packet) == 1) {
            if (headers < 3) {
                if (vorbis_synthesis_headerin(&vi, &vc, &packet) != 0) {
                    ok = false;
                    break;
                }
                if (++headers == 3) {
                    channels = vi.channels;
                    if (vorbis_synthesis_init(&vd, &vi) != 0) {
                        ok = false;
                        break;
                    }
                    vorbis_block_init(&vd, &vb);
                    synthesis = true;
                }
                continue;
            }
            if (vorbis_synthesis(&vb, &packet) == 0) vorbis_synthesis_blockin(&vd, &vb);
            float** pcm;
            int frames;
            while ((frames = vorbis_synthesis_pcmout(&vd, &pcm)) > 0) {
                for (int i = 0; i < frames; ++i)
                    for (int c = 0; c < vi.channels; ++c) samples.push_back(pcm[c][i]);
                vorbis_synthesis_read(&vd, frames);
            }
        }
    }
    if (headers < 3) ok = false;
    if (synthesis) {
        vorbis_block_clear(&vb);
        vorbis_dsp_clear(&vd);
    }
    if (haveStream) ogg_stream_clear(&os);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    ogg_sync_clear(&oy);
    return ok;
}

bool WriteOggVorbis(const std::string& path, std::vector<float> samples, int channels, float quality, int serial,
                    float peakLimit)
{
    std::vector<unsigned char> bytes;
    for (int attempt = 0;; ++attempt) {
        if (!EncodeOggVorbis(samples, channels, quality, serial, bytes)) return false;
        std::vector<float> decoded;
        int decodedChannels = 0;
        if (!DecodeOggVorbis(bytes, decoded, decodedChannels) || decodedChannels != channels) {
            std::fprintf(stderr, "sounds: %s does not decode back\n", path.c_str());
            return false;
        }
        float peak = 0.0f;
        for (float v : decoded) peak = std::max(peak, std::fabs(v));
        if (peak <= peakLimit || attempt == 8) break;
        // Lower by the overshoot plus a little margin; the coder is not linear
        // in gain, so check again.
        float gain = peakLimit / peak * 0.98f;
        for (float& v : samples) v *= gain;
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "sounds: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "sounds: writing %s failed\n", path.c_str());
        std::remove(path.c_str());
    }
    return ok;
}

}  // namespace snd
