#pragma once
// Why a decoder, an output, or the transport that plays the one into the
// other could not do what it was asked.

#include <QString>

namespace audrel::audio {

enum class AudioError
{
    None,
    NoSuchFile,       // the input file does not exist
    PermissionDenied, // the input file exists but may not be read
    OpenFailed,       // the input file could not be opened for another reason
    ReadFailed,       // reading the input failed
    NotMpegAudio,     // no decodable stream was found in the input
    DecodeFailed,     // the decoder gave up in the middle of the stream
    FormatChanged,    // the stream changed its rate or channels in the middle
    CreateFailed,     // the output file could not be created
    WriteFailed,      // writing the output file failed
    NoDevice,         // there is no audio device to play on
    DeviceFailed,     // the audio device refused the stream
    NoInput,          // nothing is open to play
    NoOutput,         // there is nowhere to play to
    NotWavAudio,      // the input is no WAV file, or none whose samples can be read
    // The WMA pieces over FFmpeg.
    Protected,      // the input is protected by DRM and cannot be decoded
    NoEncoder,      // FFmpeg has no encoder or no muxer of the format asked for
    EncoderRefused, // the encoder refuses the bit rate, sample rate or channels asked for
    Stopped,        // the conversion was stopped before it was complete
};

// What went wrong converting source into dest, for the user, naming the file
// it concerns; reason is the system's reason for a failure of dest, or empty.
// A text of the destination's format for NoEncoder and EncoderRefused, which
// the format's own code knows better.
QString failureText(AudioError error, const QString& source, const QString& dest, const QString& reason);

} // namespace audrel::audio
