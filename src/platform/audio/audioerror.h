#pragma once
// Why a decoder or an output could not do what it was asked.

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
    NotWavAudio,      // the input is no WAV file, or none whose samples can be read
};

} // namespace audrel::audio
