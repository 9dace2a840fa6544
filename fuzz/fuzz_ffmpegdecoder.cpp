// The FFmpeg side of the audio engine on whatever a file may hold, given the
// name its first bytes suggest (WMA, FLAC, Ogg, Opus, MP4, AIFF, APE, WavPack,
// Musepack, TTA, CAF, Matroska, AC-3, AU and the rest): probe it as the lists
// do, open it (every other input limited to 48 kHz stereo, as for MP3), decode
// to the end, seek back to the middle by time and decode a little more; then
// convert it to WAV, FLAC or Opus in turn. Seeds: fuzz/make_seeds.sh DIR, and
// the files the formats test makes (AUDREL_FFMPEG_SEEDS=DIR tst_formats).

#include "fuzzdecode.h"
#include "fuzzinput.h"
#include "platform/audio/ffmpegdecoder.h"
#include "platform/audio/ffmpegtranscoder.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace audrel::audio;
    const QString path = audrel::fuzz::writeInput(audrel::fuzz::extensionOf(data, size), data, size);

    MediaFacts facts;
    const AudioError probed = FfmpegDecoder::probe(path, facts);
    if (probed == AudioError::None && (facts.channels <= 0 || facts.sampleRate <= 0)) __builtin_trap();

    FfmpegDecoder decoder;
    if (size % 2) decoder.limitFormat(48000, 2);
    if (decoder.open(path) != AudioError::None) return 0;
    if (size % 2 && (decoder.format().sampleRate > 48000 || decoder.format().channels > 2)) __builtin_trap();
    (void)decoder.durationMs();
    (void)decoder.lengthFrames();
    const int64_t frames = audrel::fuzz::decodeAndSeek(decoder, [&](int64_t) {
        if (decoder.bytesRead() > decoder.fileSize()) __builtin_trap();
    });
    decoder.close();

    // Encoding is slow: only inputs of less than ten seconds are converted.
    if (frames > 10 * 48000) return 0;
    static const EncodedFormat kinds[] = {EncodedFormat::Wav, EncodedFormat::Flac, EncodedFormat::Opus};
    EncoderSettings settings;
    settings.format = kinds[size % 3];
    const QString dest = audrel::fuzz::inputPath(".result");
    FfmpegTranscoder transcoder(settings);
    const AudioError done = transcoder.run(path, dest, [](int64_t, int64_t) { return true; });
    if (done != AudioError::None && transcoder.errorText().isEmpty()) __builtin_trap();
    return 0;
}
