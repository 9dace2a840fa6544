#include "app/directionviews.h"

#include "convert/convertform.h"
#include "convert/form_wavtomp3.h"
#include "convert/form_wavtowma.h"
#include "convert/form_anyformat.h"
#include "convert/form_wmatowav.h"
#include "info/form_mediaproperty.h"
#include "info/form_property.h"
#include "info/form_wavproperty.h"
#include "info/form_wmaproperty.h"
#include "player/playaudioform.h"
#include "player/playmp3form.h"
#include "player/playwavform.h"
#include "player/playwmaform.h"

namespace audrel {

namespace {

const char* const kMpegFilter = "All Supported File|*.mp3;*.mp2;*.mp1;*.m3u;*.pls|Mpeg Audio File "
                                "(*.MP3;*.MP2;*.MP1)|*.mp3;*.mp2;*.mp1|"
                                "Winamp Playlist File (*.M3U;*.PLS)|*.m3u;*.pls";
const char* const kWavFilter = "All Supported File|*.wav;*.pls;*.m3u|Windows waveform (*.WAV)|*.wav|Winamp "
                               "Playlist File (*.M3U;*.PLS)|*.m3u;*.pls";
const char* const kWmaFilter = "All Supported File|*.wma;*.pls;*.m3u|Windows Media audio file (*.WMA)|*.wma|"
                               "Winamp Playlist File (*.M3U;*.PLS)|*.m3u;*.pls";
#define AUDREL_AUDIO_FILES                                                                                      \
    "*.flac;*.ogg;*.oga;*.opus;*.m4a;*.m4b;*.mp4;*.aac;*.aif;*.aiff;*.aifc;*.ape;*.wv;*.mka;*.webm;*.caf;*.ac3;"  \
    "*.mpc;*.tta;*.au;*.mp3;*.mp2;*.mp1;*.wav;*.wma"
const char* const kAudioFilter = "All Audio Files|" AUDREL_AUDIO_FILES ";*.m3u;*.pls|"
                                 "Winamp Playlist File (*.M3U;*.PLS)|*.m3u;*.pls";
const char* const kAudioExt = AUDREL_AUDIO_FILES;
#undef AUDREL_AUDIO_FILES

std::unique_ptr<TPlayerForm> mp3Player(const QStringList& paths, const QStringList& titles,
                                       const QString& folder, QWidget* parent)
{
    return std::make_unique<TPlayMp3Form>(paths, titles, folder, parent);
}

template <class Form>
std::unique_ptr<TPlayerForm> mediaPlayer(const QStringList& paths, const QStringList&, const QString& folder,
                                         QWidget* parent)
{
    return std::make_unique<Form>(paths, folder, parent);
}

template <class Form>
std::unique_ptr<TConversionDialog> dialog(JobList& list, const Settings& settings, const QString& folder,
                                          QWidget* parent)
{
    return std::make_unique<Form>(list, settings, folder, parent);
}

// The tag editor's texts show in the Title, Artist, Album and Year columns.
void tagEditor(JobList& list, int row, const QString&, QWidget* parent)
{
    TForm_Property editor(list.record(row).Source, parent);
    editor.exec();
    const QStringList columns = editor.UpdatedColumns();
    for (int i = 0; i < columns.size(); ++i)
        list.setSubItem(row, JobList::SubTitle + i, columns[i]);
}

template <class Form> void information(JobList& list, int row, const QString&, QWidget* parent)
{
    Form(list.record(row).Source, parent).exec();
}

void mediaInformation(JobList& list, int row, const QString& programFolder, QWidget* parent)
{
    TForm_MediaProperty(list.record(row).Source, programFolder, parent).exec();
}

} // namespace

const std::array<DirectionView, kJobKindCount>& DirectionViews()
{
    static const std::array<DirectionView, kJobKindCount> table{{
        {JobKind::Mp3ToWav, "Tab_Mp32Wav", " MP3 to WAV  ", "Mp3listview", true, kMpegFilter,
         "*.mp3;*.mp2;*.mp1;*.m3u;*.pls", &mp3Player, &mediaPlayer<TPlayWavForm>, true, false, false, true, false, false, &tagEditor,
         &dialog<TConvertForm>},
        {JobKind::WavToMp3, "Tab_Wav2Mp3", " WAV to MP3  ", "WavListView", false, kWavFilter, "*.wav",
         &mediaPlayer<TPlayWavForm>, &mp3Player, false, false, true, true, false, false,
         &information<TForm_WavProperty>,
         &dialog<TForm_WavtoMp3>},
        {JobKind::WmaToWav, "Tab_WMA2Wav", "WMA to WAV", "WMAListView", true, kWmaFilter, "*.wma",
         &mediaPlayer<TPlayWMAForm>, &mediaPlayer<TPlayWavForm>, false, true, true, true, false, false,
         &information<TForm_WmaProperty>,
         &dialog<TForm_wmatowav>},
        {JobKind::WavToWma, "Tab_Wav2WMA", "WAV to WMA", "Wav2WMAView", false, kWavFilter, "*.wav",
         &mediaPlayer<TPlayWavForm>, &mediaPlayer<TPlayWMAForm>, false, true, true, false, false, false,
         &information<TForm_WavProperty>,
         &dialog<TForm_wavtowma>},
        {JobKind::AnyFormat, "Tab_AnyFormat", "Any Format", "AnyListView", false, kAudioFilter, kAudioExt,
         &mediaPlayer<TPlayAudioForm>, &mediaPlayer<TPlayAudioForm>, false, false, false, true, true, true,
         &mediaInformation, &dialog<TForm_AnyFormat>},
    }};
    return table;
}

const DirectionView& ViewOf(JobKind kind)
{
    return DirectionViews()[size_t(kind)];
}

} // namespace audrel
