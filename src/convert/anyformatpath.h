#pragma once
// Any Format: an audio file of any kind FFmpeg decodes, converted into the
// format chosen on the list's tab (the setting AnyFormat):
//   MP3   through TLameCoder with the MP3 settings, its samples resampled to
//         at most 48 kHz and mixed to at most two channels by FFmpeg, always
//         with the encoder's Info frame, which makes the result gapless;
//   WMA   through the WMA encoder engine, with the WMA settings;
//   WAV, FLAC, Ogg Vorbis, Opus, AAC and ALAC in M4A
//         through the FFmpeg module's transcoder, with the settings of the
//         AnyFormat section: lossless formats keep the source's samples,
//         rate and bit depth.
// The formats are the rows of one table; what the path does for each is the
// engine its row names. The source's tags go into each result as into every
// other, by the result's kind.

#include "convert/conversionpath.h"
#include "platform/audio/transcoder.h"
#include "settings/settings.h"

#include <QList>

namespace audrel {

namespace audio {
class TranscodeEngine;
}

struct DestinationFormat
{
    enum class Engine
    {
        Lame,      // TLameCoder
        Wma,       // the WMA encoder engine
        Transcoder // the FFmpeg module's transcoder
    };
    const char* word;  // in Options.ini and after audrel-cli convert --to: "flac"
    const char* title; // on the tab: "FLAC"
    const char* ext;   // of the results: ".flac"
    Engine engine;
    audio::EncodedFormat encoded; // the transcoder's format
};

// The destination formats, in the order the tab offers them.
const QList<DestinationFormat>& DestinationFormats();
// The format of a word; MP3 for one it does not know.
const DestinationFormat& DestinationFormatOf(const QString& word);
// What the transcoder is told of the settings for a format.
audio::EncoderSettings EncoderSettingsFor(const Settings& settings, const DestinationFormat& format);

class AnyFormatPath final : public ConversionPath
{
    Q_OBJECT

public:
    // programFolder holds the FFmpeg module.
    AnyFormatPath(const Settings& settings, const QString& programFolder, QObject* parent = nullptr);
    ~AnyFormatPath() override;

    const DestinationFormat& Format() const { return m_format; }

    // Loads the FFmpeg module and makes the engine of the format;
    // EAudrelError when the module or the format's encoder is missing, or the
    // encoder refuses the settings.
    void Init() override;
    QString Notice() const override;
    void start(const TCvtItem& item, const QString& output) override;
    void stop() override;

private:
    Settings m_settings;
    QString m_programFolder;
    const DestinationFormat& m_format;
    // MP3 and WMA: the path of that direction, given what it cannot read itself.
    std::unique_ptr<ConversionPath> m_inner;
    audio::TranscodeEngine* m_engine = nullptr;
};

} // namespace audrel
