#pragma once
// Turns source files into job rows: the duplicate test, the file's information
// from the readers, the destination path, and the row texts. Also the dispatch
// of files and playlists to the lists that take them.

#include "jobs/joblist.h"
#include "platform/filekind.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace audrel {

struct Settings;
class TMPEGAudio;
class TWAVfile;
class TWMAfile;

// What one list takes and how its rows are made; the table of directions says
// it for every list.
struct ListRule
{
    JobList* list = nullptr;
    // The kind of source file the list takes; its rows are described by the
    // reader of that kind.
    FileKind source = FileKind::Other;
    // The extension of the destinations, ".wav".
    QString destExt;
    // The list takes audio files of every kind, not only of its source kind;
    // FFmpeg describes them.
    bool anyAudio = false;
    // A WAV file that holds MPEG audio is refused (with a message).
    bool refusesMpeg = false;
    // Files of its source kind that are dropped or named by a list file go to
    // this list (the first such list, in the order given).
    bool takesDispatched = false;
};

// What became of a file offered to a list.
struct AddResult
{
    enum Kind
    {
        Added,
        Duplicate,   // the list has a row for it already
        Unreadable,  // it cannot be opened; message names it
        NotWav,      // the WAV reader does not take it
        NotAudio,    // FFmpeg finds no audio in it that it decodes; message names it
        AlreadyMpeg, // a WAV file holding MPEG audio; message is for the user
    };
    Kind kind = Added;
    QString message;

    explicit operator bool() const { return kind == Added; }
};

class RowBuilder
{
public:
    // The settings are read at each row, so a changed destination folder
    // applies to the rows added after the change.
    RowBuilder(QList<ListRule> rules, const Settings& settings, TMPEGAudio& mpeg, TWAVfile& wav,
               TWMAfile& wma);

    // Told at once of a file refused with a message for the user (a WAV file
    // that already holds MPEG audio), while an add goes on.
    std::function<void(const AddResult&)> OnRefused;

    // The folder of the FFmpeg module, which describes the files of a list
    // that takes any audio.
    void setMediaFolder(const QString& programFolder) { m_mediaFolder = programFolder; }
    // The extension of the destinations of the rows a list gets from now on.
    void setDestExt(JobKind kind, const QString& ext);
    // Gives the destinations of a list's rows that are not converted yet the
    // extension ext, each in its own folder.
    static void Retarget(JobList& list, const QString& ext);

    // The row builder of a list. A file that cannot be opened to take its
    // size gets no row and is also noted among the skipped files.
    AddResult AddRow(JobKind kind, const QString& path);

    // Files chosen in a list's open dialog: files of the list's own kind, and the
    // entries of playlists that are of that kind and exist.
    void AddChosen(JobKind kind, const QStringList& files);

    // Files named by a list file or dropped: each goes to the list that takes
    // its kind (MPEG files to the MP3 to WAV list, WAV files to the WAV to MP3
    // list, WMA files to the WMA to WAV list, other audio files to the list of
    // any audio), and playlists are expanded (their MPEG entries only when
    // they exist). Counts are by source kind. With target, every file goes to
    // that list, whatever its kind (files dropped on a list of any audio).
    struct Counts
    {
        int Mpeg = 0;
        int Wav = 0;
        int Wma = 0;
        int Other = 0;
    };
    void Dispatch(const QString& path, Counts& counts, const ListRule* target = nullptr);
    const ListRule* ruleOf(JobKind kind) const;
    // The list that dispatched files of this kind go to, or null.
    const ListRule* DispatchRule(FileKind kind) const;

    // Why files since the last call got no row although their kind was right
    // (one line each, naming the file), for one report at the end of an add.
    QStringList takeSkipped();

    // The source path with its extension replaced by ext (".wav", ".mp3" or
    // ".wma"), in the source's folder or in the destination folder.
    static QString Destination(const QString& source, const QString& ext, const Settings& settings);

private:
    static bool takes(const ListRule& rule, FileKind kind);
    AddResult addMpeg(const ListRule& rule, const QString& path);
    AddResult addWav(const ListRule& rule, const QString& path);
    AddResult addWma(const ListRule& rule, const QString& path);
    AddResult addAny(const ListRule& rule, const QString& path);
    // Appends the row with the file's size among its sub-items, at sizeAt
    // (-1: last).
    AddResult append(const ListRule& rule, std::unique_ptr<TJobRec> record, QStringList subItems,
                     int sizeAt = -1);
    // The resolved entries of a playlist; one that cannot be read is noted
    // among the skipped files and has none.
    QStringList readPlaylist(const QString& path);

    QList<ListRule> m_rules;
    QString m_mediaFolder;
    const Settings& m_settings;
    TMPEGAudio& m_mpeg;
    TWAVfile& m_wav;
    TWMAfile& m_wma;
    QStringList m_skipped;
};

} // namespace audrel
