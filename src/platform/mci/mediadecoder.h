#pragma once
// The media player's choice of decoder, by the kind of file as its extension
// names it: WAV files through the WAV decoder, WMA files through FFmpeg.

#include "platform/audio/audiodecoder.h"

#include <QString>

#include <memory>

namespace audrel::mci {

// A decoder for the file's kind, not yet open; null for a kind it does not play.
std::unique_ptr<audio::AudioDecoder> NewMediaDecoder(const QString& path);

} // namespace audrel::mci
