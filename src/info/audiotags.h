#pragma once
// The tags that travel with the music from a source to its destination:
// title, artist, album, album artist, year (or date), comment, genre,
// copyright, track and disc with their totals, and the front cover picture,
// read from and written to the files the program converts, through TagLib:
//   MP3  an ID3v2 tag at the front (version 2.3 when written) and, for the
//        lists and the ID3v1 editor, an ID3v1 tag at the end (read and written
//        by TMPEGAudio, in its ISO-8859-1 form); an APE tag is read too;
//   WAV  RIFF INFO (INAM, IART, IPRD, ICRD, ICMT, IGNR, IPRT; ITRK and ICOP
//        are read too) and an ID3v2 chunk, which alone holds the fields INFO
//        has no place for and the cover;
//   WMA  the ASF attributes, the cover in WM/Picture;
//   FLAC the Xiph comment and PICTURE blocks;
//   Ogg  (Vorbis, Opus, FLAC or Speex) the Xiph comment, the cover in
//        METADATA_BLOCK_PICTURE; Ogg FLAC is only read (TagLib's writer
//        would damage its stream);
//   MP4  (M4A, M4B: AAC and ALAC alike) the iTunes atoms, the cover in covr;
//   AIFF and TTA an ID3v2 tag; APE, WavPack and Musepack an APE tag.
// Other files (Matroska, CAF, AC-3, raw AAC, AU) read as untagged, and
// nothing is written into them. A file whose tags cannot be read reads as
// untagged: a damaged tag never stops a conversion.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace audrel {

struct AudioTags
{
    QString Title;
    QString Artist;
    QString Album;
    QString AlbumArtist;
    QString Year; // the year, or the whole date a tag states ("2021-05-03")
    QString Comment;
    QString Genre;
    QString Copyright;
    uint32_t Track = 0;
    uint32_t TrackTotal = 0;
    uint32_t Disc = 0;
    uint32_t DiscTotal = 0;
    QByteArray Cover;  // the front cover picture's bytes, as stored
    QString CoverMime; // its type, "image/jpeg" or "image/png"

    bool isEmpty() const;
    bool operator==(const AudioTags&) const = default;
};

// Where a file keeps its tags, by the extension of its name.
enum class TagContainer
{
    Mpeg,      // .mp3 .mp2 .mp1
    Wav,       // .wav
    Wma,       // .wma
    Flac,      // .flac
    Ogg,       // .ogg .oga .opus
    Mp4,       // .m4a .m4b .mp4
    Aiff,      // .aif .aiff .aifc
    Ape,       // .ape
    WavPack,   // .wv
    Musepack,  // .mpc
    TrueAudio, // .tta
    None,
};
TagContainer ContainerOf(const QString& name);

// The tags of a file: of its first tag that holds a field (MPEG: ID3v2, APE,
// then ID3v1; WAV: the ID3v2 chunk, then INFO; FLAC: the Xiph comment, then
// ID3v2 and ID3v1), with the front cover (or else the first picture) of any.
AudioTags ReadTags(const QString& path);

// Writes the tags into a file of the given kind (whatever its own name),
// beside the tags it has; nothing at all when tags is empty, or into a kind
// that holds no tags. A field the tags lack is not written. Returns what went
// wrong, or an empty string. The audio is not touched.
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
