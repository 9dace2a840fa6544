#include "platform/audio/ffmpegmodule.h"

#include <QFile>
#include <QHash>

#include <dlfcn.h>
#include <mutex>

namespace audrel::audio {

const FfmpegModule* FfmpegModule::load(const QString& folder, QString* problem)
{
    // One module per path, loaded once; it stays loaded for the rest of the process.
    static std::mutex mutex;
    static QHash<QString, FfmpegModule*> loaded;
    const QString path = folder + QLatin1String(kFileName);
    std::lock_guard lock(mutex);
    if (FfmpegModule* module = loaded.value(path)) return module;

    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (problem)
            *problem = QStringLiteral("Cannot load %1: %2").arg(path, QString::fromLocal8Bit(dlerror()));
        return nullptr;
    }
    auto module = std::make_unique<FfmpegModule>();
    module->m_newDecoder = reinterpret_cast<NewDecoderFunction>(dlsym(handle, kNewDecoderSymbol));
    module->m_newWmaOutput = reinterpret_cast<NewWmaOutputFunction>(dlsym(handle, kNewWmaOutputSymbol));
    module->m_wmaAvailable = reinterpret_cast<WmaAvailableFunction>(dlsym(handle, kWmaAvailableSymbol));
    module->m_wmaTakes = reinterpret_cast<WmaTakesFunction>(dlsym(handle, kWmaTakesSymbol));
    module->m_probe = reinterpret_cast<ProbeFunction>(dlsym(handle, kProbeSymbol));
    module->m_newTranscoder = reinterpret_cast<NewTranscoderFunction>(dlsym(handle, kNewTranscoderSymbol));
    module->m_encoderAvailable =
        reinterpret_cast<EncoderAvailableFunction>(dlsym(handle, kEncoderAvailableSymbol));
    if (!module->m_newDecoder || !module->m_newWmaOutput || !module->m_wmaAvailable || !module->m_wmaTakes ||
        !module->m_probe || !module->m_newTranscoder || !module->m_encoderAvailable) {
        dlclose(handle);
        if (problem)
            *problem = QStringLiteral("Cannot load %1: it is not the module of this program").arg(path);
        return nullptr;
    }
    return loaded[path] = module.release();
}

std::unique_ptr<MediaDecoder> FfmpegModule::newDecoder() const
{
    return std::unique_ptr<MediaDecoder>(m_newDecoder());
}

std::unique_ptr<EncodedFileOutput> FfmpegModule::newWmaOutput(const QString& path, int bitRate,
                                                              int sampleRate, int channels) const
{
    return std::unique_ptr<EncodedFileOutput>(m_newWmaOutput(path, bitRate, sampleRate, channels));
}

bool FfmpegModule::wmaEncoderAvailable() const
{
    return m_wmaAvailable() != 0;
}

bool FfmpegModule::wmaEncoderTakes(int bitRate, int sampleRate, int channels) const
{
    return m_wmaTakes(bitRate, sampleRate, channels) != 0;
}

AudioError FfmpegModule::probe(const QString& path, MediaFacts& facts) const
{
    return m_probe(path, facts);
}

std::unique_ptr<Transcoder> FfmpegModule::newTranscoder(const EncoderSettings& settings) const
{
    return std::unique_ptr<Transcoder>(m_newTranscoder(settings));
}

bool FfmpegModule::encoderAvailable(EncodedFormat format) const
{
    return m_encoderAvailable(format) != 0;
}

} // namespace audrel::audio
