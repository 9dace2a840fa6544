#pragma once
// The tags that travel with the music from a source to its destination:
// title, artist, album, year, comment, genre and track, read from and written
// to every format the program converts, through TagLib:
//   MP3  an ID3v2 tag at the front (version 2.3 when written) and, for the
//        lists and the ID3v1 editor, an ID3v1 tag at the end (read and written
//        by TMPEGAudio, in its ISO-8859-1 form);
//   WAV  RIFF INFO (INAM, IART, IPRD, ICRD, ICMT, IGNR, ITRK) and an ID3v2 chunk;
//   WMA  the ASF attributes.
// A file whose tags cannot be read reads as untagged: a damaged tag never
// stops a conversion.

#include <QString>

#include <cstdint>
#include <optional>

namespace audrel {

struct AudioTags
{
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    QString Comment;
    QString Genre;
    uint32_t Track = 0;

    bool isEmpty() const;
    bool operator==(const AudioTags&) const = default;
};

// Where a file keeps its tags, by the extension of its name.
enum class TagContainer
{
    Mpeg, // .mp3 .mp2 .mp1
    Wav,  // .wav
    Wma,  // .wma
    None,
};
TagContainer ContainerOf(const QString& name);

// The tags of a file (MPEG: ID3v2 when present, else ID3v1; WAV: the ID3v2
// chunk when present, else INFO; WMA: ASF).
AudioTags ReadTags(const QString& path);

// Writes the tags into a file of the given kind (whatever its own name);
// nothing at all when tags is empty. Returns what went wrong, or an empty
// string. The audio is not touched.
QString WriteTags(const QString& path, const AudioTags& tags, TagContainer container);

// The ID3v2 tag of an MPEG audio file, for the lists and the dialogs.
struct Id3v2Tag
{
    bool Present = false;
    int Version = 0; // 2, 3 or 4: ID3v2.<Version>
    AudioTags Tags;
};
Id3v2Tag ReadId3v2(const QString& path);

// The fields an edit gives; those it leaves out stay as the tag has them.
struct TagChanges
{
    std::optional<QString> Title;
    std::optional<QString> Artist;
    std::optional<QString> Album;
    std::optional<QString> Year;
    std::optional<QString> Comment;
    std::optional<QString> Genre;
    std::optional<uint32_t> Track;

    bool isEmpty() const;
};

// Writes the fields given into the ID3v2 tag an MPEG audio file has, in the
// version it has; every other frame, and the ID3v1 tag, is left alone. With
// no field given the file is not touched. Returns what went wrong.
QString UpdateId3v2(const QString& path, const TagChanges& changes);

} // namespace audrel
