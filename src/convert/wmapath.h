#pragma once
// What the two WMA paths share: an engine of the WMA controls, made when the
// path is made ready, over the FFmpeg module of the program folder, on a
// worker thread of its own. Its progress is the path's progress, its failure
// (a text naming the file) the path's failure; start gives it the item's
// files and starts it; stop returns once the output is closed.

#include "convert/conversionpath.h"

namespace audrel {

namespace audio {
class FfmpegModule;
}
namespace msaudio {
class MsAudioEngine;
}

class WmaPath : public ConversionPath
{
    Q_OBJECT

public:
    ~WmaPath() override;

    // Loads the FFmpeg module and makes the engine; EAudrelError when the
    // module cannot be loaded or the engine cannot be made.
    void Init() final;
    void start(const TCvtItem& item, const QString& output) final;
    void stop() final;

protected:
    WmaPath(const QString& programFolder, QObject* parent);

    // The engine of the path's kind, configured, with its completion bound to complete().
    virtual msaudio::MsAudioEngine* makeEngine(const audio::FfmpegModule& module) = 0;

private:
    QString m_programFolder;
    msaudio::MsAudioEngine* m_engine = nullptr;
};

} // namespace audrel
