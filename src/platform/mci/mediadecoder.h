#pragma once
// The media player's choice of decoder, by the kind of file as its extension
// names it: WAV files through the WAV decoder, WMA files and every other kind
// of audio file through FFmpeg, whose module is loaded from the program folder
// the first time it is needed.

#include "platform/audio/audiodecoder.h"

#include <QString>

#include <memory>

namespace audrel::mci {

// A decoder for the file's kind, not yet open; null, with the reason in
// problem, for a kind it does not play or when the FFmpeg module cannot be loaded.
std::unique_ptr<audio::AudioDecoder> NewMediaDecoder(const QString& path, const QString& programFolder,
                                                     QString& problem);

} // namespace audrel::mci
