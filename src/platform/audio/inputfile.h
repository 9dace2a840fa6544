#pragma once
// The decoders' way of opening an input file: read-only, close-on-exec, and
// only a regular file; a pipe or a device is refused without waiting on it.

#include "platform/audio/audioerror.h"

#include <QString>

namespace audrel::audio {

// A descriptor of the file, or -1 with the reason in error.
int openInputFile(const QString& path, AudioError& error);

} // namespace audrel::audio
