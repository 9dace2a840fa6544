#pragma once
// Turns source files into job rows: the duplicate test, the file's information
// from the readers, the destination path, and the row texts. Also the dispatch
// of files and playlists to the lists that take them.

#include "jobs/joblist.h"

#include <QStringList>

namespace audrel {

struct Settings;
class TMPEGAudio;
class TWAVfile;
class TWMAfile;

class RowBuilder
{
public:
    // The lists are indexed by JobKind. The settings are read at each row, so a
    // changed destination folder applies to the rows added after the change.
    RowBuilder(JobList* const (&lists)[4], const Settings& settings, TMPEGAudio& mpeg, TWAVfile& wav,
               TWMAfile& wma);

    // Each returns whether a row was added. A file that cannot be opened to
    // take its size gets no row and is noted among the skipped files.
    bool AddMp3Row(const QString& path);
    bool AddWavRow(const QString& path);
    bool AddWMARow(const QString& path);
    bool AddWav2WMARow(const QString& path);

    // The row builder of a list.
    bool AddRow(JobKind kind, const QString& path);

    // Files chosen in a list's open dialog: files of the list's own kind, and the
    // entries of playlists that are of that kind and exist.
    void AddChosen(JobKind kind, const QStringList& files);

    // Files named by a list file or dropped: MPEG files go to the MP3 to WAV list,
    // WAV files to the WAV to MP3 list, WMA files to the WMA to WAV list, and
    // playlists are expanded (their MPEG entries only when they exist).
    struct Counts
    {
        int Mpeg = 0;
        int Wav = 0;
        int Wma = 0;
    };
    void Dispatch(const QString& path, Counts& counts);

    // Why files since the last call got no row although their kind was right
    // (one line each, naming the file), for one report at the end of an add.
    QStringList takeSkipped();

    // The source path with its extension replaced by ext (".wav", ".mp3" or
    // ".wma"), in the source's folder or in the destination folder.
    static QString Destination(const QString& source, const QString& ext, const Settings& settings);

private:
    bool addWav(JobKind kind, const QString& path, const QString& ext, bool refuseMpeg);
    bool append(JobKind kind, std::unique_ptr<TJobRec> record, QStringList subItems);
    // The resolved entries of a playlist; one that cannot be read is noted
    // among the skipped files and has none.
    QStringList readPlaylist(const QString& path);

    JobList* m_lists[4];
    const Settings& m_settings;
    TMPEGAudio& m_mpeg;
    TWAVfile& m_wav;
    TWMAfile& m_wma;
    QStringList m_skipped;
};

} // namespace audrel
