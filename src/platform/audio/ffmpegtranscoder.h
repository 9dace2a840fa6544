#pragma once
// The module's Transcoder: the FFmpeg decoder's frames, converted by
// libswresample only where the destination needs another sample format,
// rate or channel count, encoded by libavcodec (flac, libvorbis, libopus,
// aac, alac, the pcm encoders) in blocks of the encoder's size and muxed by
// libavformat (flac, ogg, opus, ipod, wav), as `ffmpeg -i SOURCE -c:a ENCODER
// DEST` does with the same settings. The result carries no tags and no
// picture, only the muxer's own header: the muxers write in their
// reproducible mode, without FFmpeg's name in the file.
//
// One block of samples is held at a time, whatever the length of the source.

#include "platform/audio/transcoder.h"

namespace audrel::audio {

class FfmpegTranscoder final : public Transcoder
{
public:
    explicit FfmpegTranscoder(const EncoderSettings& settings);

    // Whether this FFmpeg has the encoders and the muxer of format.
    static bool isAvailable(EncodedFormat format);

    AudioError run(const QString& source, const QString& dest, const Progress& progress) override;
    QString errorText() const override { return m_errorText; }

private:
    class Job;

    EncoderSettings m_settings;
    QString m_errorText;
};

} // namespace audrel::audio
