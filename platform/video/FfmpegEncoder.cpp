// The video encoder module: pictures and sound into WebM (VP9, Opus) or MP4
// (H.264, AAC) through FFmpeg's libraries. Loaded by CVideoWriter when a
// video is written.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int kSoundRate = 48000;  // Opus takes no other rate a mix of 22050 Hz maps to well

std::string AvText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

struct SState {
    std::string path;
    AVFormatContext* pFormat = nullptr;
    AVCodecContext* pVideo = nullptr;
    AVCodecContext* pSound = nullptr;
    AVStream* pVideoStream = nullptr;
    AVStream* pSoundStream = nullptr;
    SwsContext* pScale = nullptr;
    SwrContext* pResample = nullptr;
    AVAudioFifo* pFifo = nullptr;
    AVFrame* pPicture = nullptr;
    AVFrame* pSoundFrame = nullptr;
    AVPacket* pPacket = nullptr;
    int width = 0;
    int height = 0;
    int64_t pictures = 0;
    int64_t soundSamples = 0;  // at kSoundRate, sent to the encoder
    bool headerWritten = false;
    std::string fault;

    ~SState()
    {
        avcodec_free_context(&pVideo);
        avcodec_free_context(&pSound);
        sws_freeContext(pScale);
        swr_free(&pResample);
        if (pFifo) av_audio_fifo_free(pFifo);
        av_frame_free(&pPicture);
        av_frame_free(&pSoundFrame);
        av_packet_free(&pPacket);
        if (pFormat) {
            if (pFormat->pb) avio_closep(&pFormat->pb);
            avformat_free_context(pFormat);
        }
    }

    bool Fail(const std::string& text)
    {
        if (fault.empty()) fault = text;
        return false;
    }

    // Every packet the encoder has ready goes into the file.
    bool Drain(AVCodecContext* pCodec, AVStream* pStream)
    {
        while (true) {
            const int r = avcodec_receive_packet(pCodec, pPacket);
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
            if (r < 0) return Fail("the encoder failed: " + AvText(r));
            av_packet_rescale_ts(pPacket, pCodec->time_base, pStream->time_base);
            pPacket->stream_index = pStream->index;
            const int w = av_interleaved_write_frame(pFormat, pPacket);
            if (w < 0) return Fail("cannot be written: " + AvText(w));
        }
    }

    bool Encode(AVCodecContext* pCodec, AVStream* pStream, AVFrame* pFrame)
    {
        const int r = avcodec_send_frame(pCodec, pFrame);
        if (r < 0 && r != AVERROR_EOF) return Fail("the encoder failed: " + AvText(r));
        return Drain(pCodec, pStream);
    }

    // Whole encoder frames from the queue of converted sound; with bLast also
    // the shorter rest.
    bool EncodeQueuedSound(bool bLast)
    {
        const int frameSize = pSound->frame_size > 0 ? pSound->frame_size : 1024;
        while (av_audio_fifo_size(pFifo) >= frameSize || (bLast && av_audio_fifo_size(pFifo) > 0)) {
            const int n = std::min(frameSize, av_audio_fifo_size(pFifo));
            av_frame_unref(pSoundFrame);
            pSoundFrame->nb_samples = n;
            pSoundFrame->format = pSound->sample_fmt;
            pSoundFrame->sample_rate = pSound->sample_rate;
            if (av_channel_layout_copy(&pSoundFrame->ch_layout, &pSound->ch_layout) < 0 ||
                av_frame_get_buffer(pSoundFrame, 0) < 0)
                return Fail("out of memory");
            if (av_audio_fifo_read(pFifo, reinterpret_cast<void**>(pSoundFrame->data), n) != n)
                return Fail("the sound queue failed");
            pSoundFrame->pts = soundSamples;
            soundSamples += n;
            if (!Encode(pSound, pSoundStream, pSoundFrame)) return false;
        }
        return true;
    }

    // Sound converted to the encoder's rate and format, queued.
    bool Convert(const uint8_t* const* pIn, int nIn)
    {
        const int room = swr_get_out_samples(pResample, nIn);
        if (room <= 0) return true;
        uint8_t** out = nullptr;
        int lines = 0;
        if (av_samples_alloc_array_and_samples(&out, &lines, 2, room, pSound->sample_fmt, 0) < 0)
            return Fail("out of memory");
        const int n = swr_convert(pResample, out, room, const_cast<const uint8_t**>(pIn), nIn);
        bool ok = n >= 0 || Fail("the sound could not be converted: " + AvText(n));
        if (ok && n > 0 && av_audio_fifo_write(pFifo, reinterpret_cast<void**>(out), n) < n) ok = Fail("out of memory");
        av_freep(&out[0]);
        av_freep(&out);
        return ok && EncodeQueuedSound(false);
    }
};

class CFfmpegEncoder : public IVideoEncoder {
public:
    bool Open(const std::string& path, bool webm, int width, int height, int fps, int audioRate,
              std::string& error) override;
    bool AddPicture(const uint32_t* pArgb) override;
    bool AddSound(const int16_t* pStereo, int nFrames) override;
    bool Close(std::string& error) override;
    bool IsOpen() const override { return m_p && m_p->headerWritten; }
    const std::string& Fault() const override
    {
        static const std::string kNone;
        return m_p ? m_p->fault : kNone;
    }

private:
    std::unique_ptr<SState> m_p;
};

}  // namespace

bool CFfmpegEncoder::Open(const std::string& path, bool webm, int width, int height, int fps, int audioRate,
                          std::string& error)
{
    m_p.reset();
    auto fail = [&](const std::string& why) {
        const bool made = m_p && m_p->pFormat && m_p->pFormat->pb;
        m_p.reset();
        if (made) std::remove(path.c_str());
        error = why;
        return false;
    };
    const char* videoName = webm ? "libvpx-vp9" : "libx264";
    const char* soundName = webm ? "libopus" : "aac";
    const AVCodec* videoCodec = avcodec_find_encoder_by_name(videoName);
    const AVCodec* soundCodec = avcodec_find_encoder_by_name(soundName);
    if (!videoCodec || !soundCodec)
        return fail(std::string("cannot be written: the encoder ") + (videoCodec ? soundName : videoName) +
                    " is missing from this system's FFmpeg");

    // The encoders' own notes (versions, statistics) are no business of a
    // player's terminal; faults still show.
    av_log_set_level(AV_LOG_ERROR);
    m_p = std::make_unique<SState>();
    SState& s = *m_p;
    s.path = path;
    s.width = width;
    s.height = height;
    if (avformat_alloc_output_context2(&s.pFormat, nullptr, webm ? "webm" : "mp4", path.c_str()) < 0 || !s.pFormat)
        return fail("cannot be written: no muxer for it");

    // Pictures: 4:2:0, which every player plays, at a constant quality that
    // keeps the thin lines of the play field (a frame reads back over 40 dB
    // from the picture the game drew); encoder settings fast enough for a
    // game run unpaced on two cores.
    s.pVideo = avcodec_alloc_context3(videoCodec);
    s.pVideo->width = width;
    s.pVideo->height = height;
    s.pVideo->time_base = AVRational{1, fps};
    s.pVideo->framerate = AVRational{fps, 1};
    s.pVideo->pix_fmt = AV_PIX_FMT_YUV420P;
    s.pVideo->gop_size = fps * 2;  // a key frame every two seconds, for seeking in a player
    s.pVideo->thread_count = 2;
    AVDictionary* videoOptions = nullptr;
    if (webm) {
        s.pVideo->bit_rate = 0;
        av_dict_set(&videoOptions, "deadline", "realtime", 0);
        av_dict_set(&videoOptions, "cpu-used", "8", 0);
        av_dict_set(&videoOptions, "row-mt", "1", 0);
        av_dict_set(&videoOptions, "tune-content", "screen", 0);
        av_dict_set(&videoOptions, "crf", "24", 0);
    } else {
        av_dict_set(&videoOptions, "preset", "veryfast", 0);
        av_dict_set(&videoOptions, "tune", "psnr", 0);
        av_dict_set(&videoOptions, "crf", "16", 0);
    }
    if (s.pFormat->oformat->flags & AVFMT_GLOBALHEADER) s.pVideo->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int r = avcodec_open2(s.pVideo, videoCodec, &videoOptions);
    av_dict_free(&videoOptions);
    if (r < 0) return fail(std::string("cannot be written: ") + videoName + " does not start: " + AvText(r));

    // Sound: stereo at 48 kHz in the encoder's own sample format.
    s.pSound = avcodec_alloc_context3(soundCodec);
    s.pSound->sample_rate = kSoundRate;
    av_channel_layout_default(&s.pSound->ch_layout, 2);
    s.pSound->sample_fmt = soundCodec->sample_fmts ? soundCodec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    s.pSound->bit_rate = 128000;
    s.pSound->time_base = AVRational{1, kSoundRate};
    if (s.pFormat->oformat->flags & AVFMT_GLOBALHEADER) s.pSound->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    r = avcodec_open2(s.pSound, soundCodec, nullptr);
    if (r < 0) return fail(std::string("cannot be written: ") + soundName + " does not start: " + AvText(r));

    s.pVideoStream = avformat_new_stream(s.pFormat, nullptr);
    s.pSoundStream = avformat_new_stream(s.pFormat, nullptr);
    if (!s.pVideoStream || !s.pSoundStream) return fail("cannot be written: out of memory");
    s.pVideoStream->time_base = s.pVideo->time_base;
    s.pSoundStream->time_base = s.pSound->time_base;
    if (avcodec_parameters_from_context(s.pVideoStream->codecpar, s.pVideo) < 0 ||
        avcodec_parameters_from_context(s.pSoundStream->codecpar, s.pSound) < 0)
        return fail("cannot be written: the streams cannot be described");

    AVChannelLayout stereo;
    av_channel_layout_default(&stereo, 2);
    if (swr_alloc_set_opts2(&s.pResample, &s.pSound->ch_layout, s.pSound->sample_fmt, kSoundRate, &stereo,
                            AV_SAMPLE_FMT_S16, audioRate, 0, nullptr) < 0 ||
        swr_init(s.pResample) < 0)
        return fail("cannot be written: the sound converter does not start");
    s.pFifo = av_audio_fifo_alloc(s.pSound->sample_fmt, 2, kSoundRate);
    s.pScale = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                              nullptr, nullptr);
    s.pPicture = av_frame_alloc();
    s.pSoundFrame = av_frame_alloc();
    s.pPacket = av_packet_alloc();
    if (!s.pFifo || !s.pScale || !s.pPicture || !s.pSoundFrame || !s.pPacket)
        return fail("cannot be written: out of memory");
    s.pPicture->format = AV_PIX_FMT_YUV420P;
    s.pPicture->width = width;
    s.pPicture->height = height;
    if (av_frame_get_buffer(s.pPicture, 0) < 0) return fail("cannot be written: out of memory");

    r = avio_open(&s.pFormat->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (r < 0) return fail("cannot be written: " + AvText(r));
    r = avformat_write_header(s.pFormat, nullptr);
    if (r < 0) return fail("cannot be written: " + AvText(r));
    s.headerWritten = true;
    return true;
}

bool CFfmpegEncoder::AddPicture(const uint32_t* pArgb)
{
    if (!IsOpen()) return false;
    SState& s = *m_p;
    if (av_frame_make_writable(s.pPicture) < 0) return s.Fail("out of memory");
    const uint8_t* src[1] = {reinterpret_cast<const uint8_t*>(pArgb)};
    const int stride[1] = {s.width * 4};
    sws_scale(s.pScale, src, stride, 0, s.height, s.pPicture->data, s.pPicture->linesize);
    s.pPicture->pts = s.pictures++;
    return s.Encode(s.pVideo, s.pVideoStream, s.pPicture);
}

bool CFfmpegEncoder::AddSound(const int16_t* pStereo, int nFrames)
{
    if (!IsOpen() || nFrames <= 0) return IsOpen();
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(pStereo)};
    return m_p->Convert(in, nFrames);
}

bool CFfmpegEncoder::Close(std::string& error)
{
    if (!m_p) return true;
    SState& s = *m_p;
    bool ok = s.fault.empty();
    if (s.headerWritten) {
        // What the converter still holds, the last short sound frame, then
        // both encoders emptied and the container completed.
        ok = s.Convert(nullptr, 0) && ok;
        ok = s.EncodeQueuedSound(true) && ok;
        ok = s.Encode(s.pVideo, s.pVideoStream, nullptr) && ok;
        ok = s.Encode(s.pSound, s.pSoundStream, nullptr) && ok;
        const int r = av_write_trailer(s.pFormat);
        if (r < 0) ok = s.Fail("cannot be completed: " + AvText(r));
        if (avio_closep(&s.pFormat->pb) < 0) ok = s.Fail("cannot be completed: the file did not close");
    }
    if (!ok) error = s.fault;
    m_p.reset();
    return ok;
}

extern "C" __attribute__((visibility("default"))) IVideoEncoder* MzNewVideoEncoder()
{
    return new CFfmpegEncoder;
}
