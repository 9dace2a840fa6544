// The entry points of libaudrel_ffmpeg.so: the only symbols it exports.

#include "platform/audio/ffmpegdecoder.h"
#include "platform/audio/ffmpegmodule.h"
#include "platform/audio/ffmpegtranscoder.h"
#include "platform/audio/wmafileoutput.h"

using namespace audrel::audio;

extern "C" {

__attribute__((visibility("default"))) MediaDecoder* audrel_ffmpeg_decoder_new()
{
    return new FfmpegDecoder;
}

__attribute__((visibility("default"))) EncodedFileOutput*
audrel_ffmpeg_wma_output_new(const QString& path, int bitRate, int sampleRate, int channels)
{
    return new WmaFileOutput(path, bitRate, sampleRate, channels);
}

__attribute__((visibility("default"))) int audrel_ffmpeg_wma_available()
{
    return WmaFileOutput::isAvailable() ? 1 : 0;
}

__attribute__((visibility("default"))) int audrel_ffmpeg_wma_takes(int bitRate, int sampleRate, int channels)
{
    return WmaFileOutput::takes(bitRate, sampleRate, channels) ? 1 : 0;
}

__attribute__((visibility("default"))) AudioError audrel_ffmpeg_probe(const QString& path, MediaFacts& facts)
{
    return FfmpegDecoder::probe(path, facts);
}

__attribute__((visibility("default"))) Transcoder*
audrel_ffmpeg_transcoder_new(const EncoderSettings& settings)
{
    return new FfmpegTranscoder(settings);
}

__attribute__((visibility("default"))) int audrel_ffmpeg_encoder_available(EncodedFormat format)
{
    return FfmpegTranscoder::isAvailable(format) ? 1 : 0;
}
}

// The types the program declares for these entry points.
static_assert(std::is_same_v<decltype(&audrel_ffmpeg_decoder_new), FfmpegModule::NewDecoderFunction>);
static_assert(std::is_same_v<decltype(&audrel_ffmpeg_wma_output_new), FfmpegModule::NewWmaOutputFunction>);
static_assert(std::is_same_v<decltype(&audrel_ffmpeg_wma_available), FfmpegModule::WmaAvailableFunction>);
static_assert(std::is_same_v<decltype(&audrel_ffmpeg_wma_takes), FfmpegModule::WmaTakesFunction>);
static_assert(std::is_same_v<decltype(&audrel_ffmpeg_probe), FfmpegModule::ProbeFunction>);
static_assert(std::is_same_v<decltype(&audrel_ffmpeg_transcoder_new), FfmpegModule::NewTranscoderFunction>);
static_assert(
    std::is_same_v<decltype(&audrel_ffmpeg_encoder_available), FfmpegModule::EncoderAvailableFunction>);
