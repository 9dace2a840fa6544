#include "platform/mci/mediadecoder.h"

#include "platform/audio/ffmpegmodule.h"
#include "platform/audio/wavdecoder.h"
#include "platform/filekind.h"

namespace audrel::mci {

std::unique_ptr<audio::AudioDecoder> NewMediaDecoder(const QString& path, const QString& programFolder,
                                                     QString& problem)
{
    const FileKind kind = KindOf(path);
    if (kind == FileKind::Wav) return std::make_unique<audio::WavDecoder>();
    if (IsAudio(kind)) {
        const audio::FfmpegModule* ffmpeg = audio::FfmpegModule::load(programFolder, &problem);
        return ffmpeg ? ffmpeg->newDecoder() : nullptr;
    }
    problem = QStringLiteral("there is no player for this kind of file");
    return nullptr;
}

} // namespace audrel::mci
