#include "platform/mci/mediadecoder.h"

#include "platform/audio/ffmpegdecoder.h"
#include "platform/audio/wavdecoder.h"

#include <QFileInfo>

namespace audrel::mci {

std::unique_ptr<audio::AudioDecoder> NewMediaDecoder(const QString& path)
{
    const QString kind = QFileInfo(path).suffix().toUpper();
    if (kind == QLatin1String("WAV")) return std::make_unique<audio::WavDecoder>();
    if (kind == QLatin1String("WMA")) return std::make_unique<audio::FfmpegDecoder>();
    return nullptr;
}

} // namespace audrel::mci
