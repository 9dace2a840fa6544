#include "info/audiotags.h"

#include "info/genres.h"
#include "info/mpegaudio.h"
#include "platform/filekind.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/trueaudiofile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>

#include <initializer_list>
#include <memory>
#include <optional>
#include <type_traits>

namespace audrel {

namespace {

using TagLib::PropertyMap;
using TagLib::StringList;

// Through UTF-8: TagLib keeps UTF-16 code units in a wide string, which is
// wider than that here, so a wide string would cut characters beyond U+FFFF.
QString fromTag(const TagLib::String& text)
{
    return QString::fromStdString(text.to8Bit(true)).trimmed();
}

TagLib::String toTag(const QString& text)
{
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

QByteArray fromBytes(const TagLib::ByteVector& bytes)
{
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

TagLib::ByteVector toBytes(const QByteArray& bytes)
{
    return TagLib::ByteVector(bytes.constData(), unsigned(bytes.size()));
}

// ---- The fields, by the names TagLib gives them in every kind of tag

// The values of the first of the keys that has any, joined.
QString field(const PropertyMap& map, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        const auto it = map.find(key);
        if (it == map.end()) continue;
        QStringList values;
        for (const TagLib::String& value : it->second)
            if (const QString text = fromTag(value); !text.isEmpty()) values.append(text);
        if (!values.isEmpty()) return values.join(QStringLiteral("; "));
    }
    return {};
}

// "3/12" is number 3 of 12; "3" states no total.
void numberOf(const QString& text, uint32_t& number, uint32_t& total)
{
    number = text.section(QLatin1Char('/'), 0, 0).trimmed().toUInt();
    if (const uint32_t stated = text.section(QLatin1Char('/'), 1, 1).trimmed().toUInt()) total = stated;
}

AudioTags fromProperties(const PropertyMap& map)
{
    AudioTags tags;
    tags.Title = field(map, {"TITLE"});
    tags.Artist = field(map, {"ARTIST"});
    tags.Album = field(map, {"ALBUM"});
    tags.AlbumArtist = field(map, {"ALBUMARTIST", "ALBUM ARTIST", "ALBUM_ARTIST"});
    tags.Year = field(map, {"DATE", "YEAR"});
    tags.Comment = field(map, {"COMMENT", "DESCRIPTION"});
    tags.Genre = field(map, {"GENRE"});
    tags.Copyright = field(map, {"COPYRIGHT"});
    // Xiph comments state the totals apart; the other tags as "3/12".
    tags.TrackTotal = field(map, {"TRACKTOTAL", "TOTALTRACKS"}).toUInt();
    numberOf(field(map, {"TRACKNUMBER", "TRACK"}), tags.Track, tags.TrackTotal);
    tags.DiscTotal = field(map, {"DISCTOTAL", "TOTALDISCS"}).toUInt();
    numberOf(field(map, {"DISCNUMBER", "DISC"}), tags.Disc, tags.DiscTotal);
    return tags;
}

bool hasText(const AudioTags& tags)
{
    AudioTags text = tags;
    text.Cover.clear();
    text.CoverMime.clear();
    return !text.isEmpty();
}

// A file's tags come from the first of its tags that holds a text, and its
// cover from the first that holds a picture.
void takeFrom(AudioTags& tags, const AudioTags& next)
{
    if (!hasText(tags)) {
        const QByteArray cover = tags.Cover;
        const QString mime = tags.CoverMime;
        tags = next;
        if (!cover.isEmpty()) {
            tags.Cover = cover;
            tags.CoverMime = mime;
        }
    } else if (tags.Cover.isEmpty()) {
        tags.Cover = next.Cover;
        tags.CoverMime = next.CoverMime;
    }
}

// How a kind of tag states a number with its total.
enum class Numbers
{
    Pair,  // "3/12"
    Apart, // 3, and the total in a field of its own
    Alone, // 3: the tag has no place for the total
};

struct Style
{
    Numbers track = Numbers::Pair;
    Numbers disc = Numbers::Pair;
    bool yearOnly = false; // the tag holds a year, not a date
};

PropertyMap toProperties(const AudioTags& tags, Style style)
{
    PropertyMap map;
    const auto put = [&map](const char* key, const QString& text) {
        if (!text.isEmpty()) map.replace(key, StringList(toTag(text)));
    };
    put("TITLE", tags.Title);
    put("ARTIST", tags.Artist);
    put("ALBUM", tags.Album);
    put("ALBUMARTIST", tags.AlbumArtist);
    put("DATE", style.yearOnly ? tags.Year.left(4) : tags.Year);
    put("COMMENT", tags.Comment);
    put("GENRE", tags.Genre);
    put("COPYRIGHT", tags.Copyright);
    const auto number = [&put](const char* key, const char* totalKey, uint32_t n, uint32_t total,
                               Numbers how) {
        if (n == 0) return; // a total without its number says nothing
        const QString text = QString::number(n);
        if (how == Numbers::Pair && total > 0) {
            put(key, text + QLatin1Char('/') + QString::number(total));
            return;
        }
        put(key, text);
        if (how == Numbers::Apart && total > 0) put(totalKey, QString::number(total));
    };
    number("TRACKNUMBER", "TRACKTOTAL", tags.Track, tags.TrackTotal, style.track);
    number("DISCNUMBER", "DISCTOTAL", tags.Disc, tags.DiscTotal, style.disc);
    return map;
}

// The fields go beside those the tag has (an encoder's name, say); each
// field written replaces the tag's own. (TagLib's property maps are not
// virtual: each kind of tag is given as itself.)
template <class Tag> void putFields(Tag& tag, const AudioTags& tags, Style style)
{
    PropertyMap map = tag.properties();
    const PropertyMap fields = toProperties(tags, style);
    for (auto it = fields.begin(); it != fields.end(); ++it)
        map.replace(it->first, it->second);
    tag.setProperties(map);
}

// ---- The cover, as each kind of tag holds its pictures

QString pictureMime(const QByteArray& data, const QString& stated)
{
    if (data.startsWith("\xFF\xD8\xFF")) return QStringLiteral("image/jpeg");
    if (data.startsWith("\x89PNG")) return QStringLiteral("image/png");
    if (data.startsWith("GIF8")) return QStringLiteral("image/gif");
    if (data.startsWith("BM")) return QStringLiteral("image/bmp");
    return stated.trimmed();
}

void setCover(AudioTags& tags, const TagLib::ByteVector& data, const TagLib::String& mime)
{
    if (data.isEmpty()) return;
    tags.Cover = fromBytes(data);
    tags.CoverMime = pictureMime(tags.Cover, fromTag(mime));
}

// The front cover of a list of pictures, or else its first.
template <class List, class IsFront> auto frontOf(const List& pictures, IsFront isFront)
{
    for (auto it = pictures.begin(); it != pictures.end(); ++it)
        if (isFront(*it)) return it;
    return pictures.begin();
}

void readCover(const TagLib::ID3v2::Tag& tag, AudioTags& tags)
{
    TagLib::List<const TagLib::ID3v2::AttachedPictureFrame*> pictures;
    for (const TagLib::ID3v2::Frame* frame : tag.frameList("APIC"))
        if (const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame))
            pictures.append(picture);
    const auto front = frontOf(pictures, [](const TagLib::ID3v2::AttachedPictureFrame* p) {
        return p->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover;
    });
    if (front != pictures.end()) setCover(tags, (*front)->picture(), (*front)->mimeType());
}

void writeCover(TagLib::ID3v2::Tag& tag, const AudioTags& tags)
{
    if (tags.Cover.isEmpty()) return;
    for (TagLib::ID3v2::Frame* frame : TagLib::ID3v2::FrameList(tag.frameList("APIC")))
        if (const auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
            picture && picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)
            tag.removeFrame(frame);
    auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
    picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    picture->setMimeType(toTag(tags.CoverMime));
    picture->setPicture(toBytes(tags.Cover));
    tag.addFrame(picture);
}

void readCover(const TagLib::List<TagLib::FLAC::Picture*>& pictures, AudioTags& tags)
{
    const auto front = frontOf(pictures, [](const TagLib::FLAC::Picture* p) {
        return p->type() == TagLib::FLAC::Picture::FrontCover;
    });
    if (front != pictures.end()) setCover(tags, (*front)->data(), (*front)->mimeType());
}

TagLib::FLAC::Picture* flacPicture(const AudioTags& tags)
{
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType(toTag(tags.CoverMime));
    picture->setData(toBytes(tags.Cover));
    return picture;
}

// A FLAC file and a Xiph comment in Ogg hold their pictures alike.
template <class Holder> void writeFlacCover(Holder& holder, const AudioTags& tags)
{
    if (tags.Cover.isEmpty()) return;
    for (TagLib::FLAC::Picture* picture : holder.pictureList())
        if (picture->type() == TagLib::FLAC::Picture::FrontCover) holder.removePicture(picture, true);
    holder.addPicture(flacPicture(tags));
}

void readCover(const TagLib::MP4::Tag& tag, AudioTags& tags)
{
    // The first picture of covr is the front cover.
    const TagLib::MP4::CoverArtList covers = tag.item("covr").toCoverArtList();
    if (!covers.isEmpty()) setCover(tags, covers.front().data(), {});
}

void writeCover(TagLib::MP4::Tag& tag, const AudioTags& tags)
{
    if (tags.Cover.isEmpty()) return;
    const QString mime = pictureMime(tags.Cover, tags.CoverMime);
    const auto format = mime == QLatin1String("image/jpeg")  ? TagLib::MP4::CoverArt::JPEG
                        : mime == QLatin1String("image/png") ? TagLib::MP4::CoverArt::PNG
                        : mime == QLatin1String("image/gif") ? TagLib::MP4::CoverArt::GIF
                        : mime == QLatin1String("image/bmp") ? TagLib::MP4::CoverArt::BMP
                                                             : TagLib::MP4::CoverArt::Unknown;
    TagLib::MP4::CoverArtList covers;
    covers.append(TagLib::MP4::CoverArt(format, toBytes(tags.Cover)));
    tag.setItem("covr", covers);
}

void readCover(const TagLib::ASF::Tag& tag, AudioTags& tags)
{
    TagLib::List<TagLib::ASF::Picture> pictures;
    for (const TagLib::ASF::Attribute& attribute : tag.attribute("WM/Picture"))
        if (const TagLib::ASF::Picture picture = attribute.toPicture(); picture.isValid())
            pictures.append(picture);
    const auto front = frontOf(
        pictures, [](const TagLib::ASF::Picture& p) { return p.type() == TagLib::ASF::Picture::FrontCover; });
    if (front != pictures.end()) setCover(tags, front->picture(), front->mimeType());
}

void writeCover(TagLib::ASF::Tag& tag, const AudioTags& tags)
{
    if (tags.Cover.isEmpty()) return;
    TagLib::ASF::AttributeList kept;
    for (const TagLib::ASF::Attribute& attribute : tag.attribute("WM/Picture"))
        if (attribute.toPicture().type() != TagLib::ASF::Picture::FrontCover) kept.append(attribute);
    TagLib::ASF::Picture picture;
    picture.setType(TagLib::ASF::Picture::FrontCover);
    picture.setMimeType(toTag(tags.CoverMime));
    picture.setPicture(toBytes(tags.Cover));
    kept.prepend(TagLib::ASF::Attribute(picture));
    tag.setAttribute("WM/Picture", kept);
}

// An APE tag keeps the front cover as a file name, a zero byte and the picture.
const char* const ApeCover = "Cover Art (Front)";

void readCover(const TagLib::APE::Tag& tag, AudioTags& tags)
{
    const TagLib::APE::ItemListMap& items = tag.itemListMap();
    const auto it = items.find(TagLib::String(ApeCover).upper());
    if (it == items.end()) return;
    const TagLib::ByteVector value = it->second.binaryData();
    const int end = value.find('\0');
    if (end >= 0) setCover(tags, value.mid(unsigned(end) + 1), {});
}

void writeCover(TagLib::APE::Tag& tag, const AudioTags& tags)
{
    if (tags.Cover.isEmpty()) return;
    const QString mime = pictureMime(tags.Cover, tags.CoverMime);
    const QByteArray name =
        "cover." + (mime.startsWith(QLatin1String("image/")) ? mime.mid(6).toLatin1() : "jpg");
    tag.setItem(ApeCover, TagLib::APE::Item(ApeCover, toBytes(name + '\0' + tags.Cover), true));
}

// ---- Whole tags

AudioTags fromId3v2(const TagLib::ID3v2::Tag& tag)
{
    AudioTags tags = fromProperties(tag.properties());
    readCover(tag, tags);
    return tags;
}

AudioTags fromXiph(TagLib::Ogg::XiphComment& comment)
{
    AudioTags tags = fromProperties(comment.properties());
    readCover(comment.pictureList(), tags);
    return tags;
}

AudioTags fromApe(const TagLib::APE::Tag& tag)
{
    AudioTags tags = fromProperties(tag.properties());
    readCover(tag, tags);
    return tags;
}

template <class Tag> AudioTags fromTagLib(const Tag* tag)
{
    return tag ? fromProperties(tag->properties()) : AudioTags();
}

// TagLib keeps the track of INFO in IPRT; other programs write ITRK, and
// the copyright in ICOP.
AudioTags fromInfo(const TagLib::RIFF::Info::Tag& tag)
{
    AudioTags tags = fromProperties(tag.properties());
    if (tags.Track == 0) numberOf(fromTag(tag.fieldText("ITRK")), tags.Track, tags.TrackTotal);
    tags.Copyright = fromTag(tag.fieldText("ICOP"));
    return tags;
}

void toId3v2(TagLib::ID3v2::Tag& tag, const AudioTags& tags)
{
    putFields(tag, tags, {});
    writeCover(tag, tags);
}

void toApe(TagLib::APE::Tag& tag, const AudioTags& tags)
{
    putFields(tag, tags, {});
    writeCover(tag, tags);
}

void toXiph(TagLib::Ogg::XiphComment& comment, const AudioTags& tags)
{
    putFields(comment, tags, {Numbers::Apart, Numbers::Apart, false});
    writeFlacCover(comment, tags);
}

// A file opened only to be read. TagLib opens a file for writing whenever
// it may, so a folder watcher would see every source the program reads as
// written when it is closed; these are opened read-only.
template <class File> struct ReadOnly
{
    TagLib::FileStream stream;
    std::optional<File> file;

    explicit ReadOnly(const char* name) : stream(name, true)
    {
        if constexpr (std::is_constructible_v<File, TagLib::IOStream*, bool>)
            file.emplace(&stream, false);
        else
            file.emplace(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    }
    File* operator->() { return &*file; }
};

// An Ogg file's Xiph comment, whichever codec the stream holds. TagLib
// writes an Ogg FLAC comment without its last-block mark, which damages the
// stream: such files are read, never written.
struct OggFile
{
    std::unique_ptr<TagLib::FileStream> stream; // read-only, unless writing; outlives file
    std::unique_ptr<TagLib::File> file;
    TagLib::Ogg::XiphComment* comment = nullptr;

    OggFile(const char* name, bool writing) : stream(std::make_unique<TagLib::FileStream>(name, !writing))
    {
        if (!open<TagLib::Ogg::Vorbis::File>() && !open<TagLib::Ogg::Opus::File>() &&
            !open<TagLib::Ogg::Speex::File>() && !writing)
            open<TagLib::Ogg::FLAC::File>();
    }

    template <class Kind> bool open()
    {
        stream->seek(0);
        auto kind = std::make_unique<Kind>(stream.get(), false);
        if (!kind->isValid() || !kind->tag()) return false;
        comment = kind->tag();
        file = std::move(kind);
        return true;
    }
};

template <class File> AudioTags apeFileTags(const char* name)
{
    ReadOnly<File> file(name);
    if (!file->isValid()) return {};
    AudioTags tags;
    if (file->hasAPETag()) tags = fromApe(*file->APETag());
    if (file->hasID3v1Tag()) takeFrom(tags, fromTagLib(file->ID3v1Tag()));
    return tags;
}

template <class File> bool writeApeFile(const char* name, const AudioTags& tags)
{
    File file(name, false);
    if (!file.isValid()) return false;
    toApe(*file.APETag(true), tags);
    return file.save();
}

// The ID3v1 tag, as the program's own reader sees it.
AudioTags readId3v1(const QString& path)
{
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.LoadFile(path);
    if (!mpeg.HasTag()) return {};
    AudioTags tags;
    tags.Title = mpeg.Data.Title;
    tags.Artist = mpeg.Data.Artist;
    tags.Album = mpeg.Data.Album;
    tags.Year = mpeg.Data.Year.trimmed();
    tags.Comment = mpeg.Data.Comment;
    tags.Genre = mpeg.Data.Genre < GenreCount ? QLatin1String(GenreNames[mpeg.Data.Genre]) : QString();
    tags.Track = mpeg.Data.Track;
    return tags;
}

// The ID3v1 tag in its ISO-8859-1 form, written by the program's own writer.
QString writeId3v1(const QString& path, const AudioTags& tags)
{
    TMPEGAudio mpeg;
    mpeg.OnError = nullptr;
    mpeg.LoadFile(path);
    mpeg.setTitle(tags.Title);
    mpeg.setArtist(tags.Artist);
    mpeg.setAlbum(tags.Album);
    mpeg.setYear(tags.Year.left(4).leftJustified(4, QLatin1Char(' ')));
    mpeg.setComment(tags.Comment);
    uint8_t genre = 255;
    for (int code = 0; code < GenreCount; ++code)
        if (tags.Genre.compare(QLatin1String(GenreNames[code]), Qt::CaseInsensitive) == 0)
            genre = uint8_t(code);
    mpeg.setGenre(genre);
    mpeg.setTrack(uint8_t(tags.Track <= 255 ? tags.Track : 0));
    try {
        if (mpeg.WriteTag() != 0) return QStringLiteral("cannot write the ID3v1 tag of %1").arg(path);
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    }
    return {};
}

QString cannotWrite(const QString& path)
{
    return QStringLiteral("cannot write the tags of %1").arg(path);
}

} // namespace

TagContainer ContainerOf(const QString& name)
{
    switch (KindOf(name)) {
    case FileKind::Mpeg:
        return TagContainer::Mpeg;
    case FileKind::Wav:
        return TagContainer::Wav;
    case FileKind::Wma:
        return TagContainer::Wma;
    case FileKind::Flac:
        return TagContainer::Flac;
    case FileKind::Ogg:
    case FileKind::Opus:
        return TagContainer::Ogg;
    case FileKind::Mp4:
        return TagContainer::Mp4;
    case FileKind::Aiff:
        return TagContainer::Aiff;
    case FileKind::Ape:
        return TagContainer::Ape;
    case FileKind::WavPack:
        return TagContainer::WavPack;
    case FileKind::Musepack:
        return TagContainer::Musepack;
    case FileKind::TrueAudio:
        return TagContainer::TrueAudio;
    default:
        return TagContainer::None; // no tags TagLib holds
    }
}

bool AudioTags::isEmpty() const
{
    return Title.isEmpty() && Artist.isEmpty() && Album.isEmpty() && AlbumArtist.isEmpty() &&
           Year.isEmpty() && Comment.isEmpty() && Genre.isEmpty() && Copyright.isEmpty() && Track == 0 &&
           TrackTotal == 0 && Disc == 0 && DiscTotal == 0 && Cover.isEmpty();
}

Id3v2Tag ReadId3v2(const QString& path)
{
    Id3v2Tag result;
    if (ContainerOf(path) != TagContainer::Mpeg) return result;
    ReadOnly<TagLib::MPEG::File> file(QFile::encodeName(path).constData());
    if (!file->isValid() || !file->hasID3v2Tag()) return result;
    TagLib::ID3v2::Tag* tag = file->ID3v2Tag();
    result.Present = true;
    result.Version = int(tag->header()->majorVersion());
    result.Tags = fromId3v2(*tag);
    return result;
}

AudioTags ReadTags(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    const char* const name = encoded.constData();
    AudioTags tags;
    switch (ContainerOf(path)) {
    case TagContainer::Mpeg: {
        ReadOnly<TagLib::MPEG::File> file(name);
        if (!file->isValid()) return {};
        if (file->hasID3v2Tag()) tags = fromId3v2(*file->ID3v2Tag());
        if (file->hasAPETag()) takeFrom(tags, fromApe(*file->APETag()));
        // Only a file that ends in an ID3v1 tag is analysed by the program's own reader.
        if (!hasText(tags) && file->hasID3v1Tag()) takeFrom(tags, readId3v1(path));
        return tags;
    }
    case TagContainer::Wav: {
        ReadOnly<TagLib::RIFF::WAV::File> file(name);
        if (!file->isValid()) return {};
        if (file->hasID3v2Tag()) tags = fromId3v2(*file->ID3v2Tag());
        if (file->hasInfoTag()) takeFrom(tags, fromInfo(*file->InfoTag()));
        return tags;
    }
    case TagContainer::Wma: {
        ReadOnly<TagLib::ASF::File> file(name);
        if (!file->isValid() || !file->tag()) return {};
        tags = fromTagLib(file->tag());
        readCover(*file->tag(), tags);
        return tags;
    }
    case TagContainer::Flac: {
        ReadOnly<TagLib::FLAC::File> file(name);
        if (!file->isValid()) return {};
        if (file->hasXiphComment()) tags = fromXiph(*file->xiphComment());
        AudioTags pictures;
        readCover(file->pictureList(), pictures);
        takeFrom(tags, pictures);
        if (file->hasID3v2Tag()) takeFrom(tags, fromId3v2(*file->ID3v2Tag()));
        if (file->hasID3v1Tag()) takeFrom(tags, fromTagLib(file->ID3v1Tag()));
        return tags;
    }
    case TagContainer::Ogg: {
        const OggFile file(name, false);
        return file.comment ? fromXiph(*file.comment) : AudioTags();
    }
    case TagContainer::Mp4: {
        ReadOnly<TagLib::MP4::File> file(name);
        if (!file->isValid() || !file->tag()) return {};
        tags = fromTagLib(file->tag());
        readCover(*file->tag(), tags);
        return tags;
    }
    case TagContainer::Aiff: {
        ReadOnly<TagLib::RIFF::AIFF::File> file(name);
        return file->isValid() && file->hasID3v2Tag() ? fromId3v2(*file->tag()) : AudioTags();
    }
    case TagContainer::Ape:
        return apeFileTags<TagLib::APE::File>(name);
    case TagContainer::WavPack:
        return apeFileTags<TagLib::WavPack::File>(name);
    case TagContainer::Musepack:
        return apeFileTags<TagLib::MPC::File>(name);
    case TagContainer::TrueAudio: {
        ReadOnly<TagLib::TrueAudio::File> file(name);
        if (!file->isValid()) return {};
        if (file->hasID3v2Tag()) tags = fromId3v2(*file->ID3v2Tag());
        if (file->hasID3v1Tag()) takeFrom(tags, fromTagLib(file->ID3v1Tag()));
        return tags;
    }
    case TagContainer::None:
        break;
    }
    return {};
}

QString WriteTags(const QString& path, const AudioTags& tags, TagContainer container)
{
    if (tags.isEmpty() || container == TagContainer::None) return {};
    const QByteArray encoded = QFile::encodeName(path);
    const char* const name = encoded.constData();
    bool saved = false;
    switch (container) {
    case TagContainer::Mpeg: {
        {
            TagLib::MPEG::File file(name, false);
            if (!file.isValid()) return cannotWrite(path);
            toId3v2(*file.ID3v2Tag(true), tags);
            if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                           TagLib::File::DoNotDuplicate))
                return cannotWrite(path);
        }
        return writeId3v1(path, tags);
    }
    case TagContainer::Wav: {
        TagLib::RIFF::WAV::File file(name, false);
        if (!file.isValid()) return cannotWrite(path);
        // INFO holds the fields it has places for, a year and a bare track number.
        putFields(*file.InfoTag(), tags, {Numbers::Alone, Numbers::Alone, true});
        toId3v2(*file.ID3v2Tag(), tags);
        saved = file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v3);
        break;
    }
    case TagContainer::Wma: {
        TagLib::ASF::File file(name, false);
        if (!file.isValid() || !file.tag()) return cannotWrite(path);
        // WM/TrackNumber is a number alone, WM/Year a year; WM/PartOfSet takes "1/2".
        putFields(*file.tag(), tags, {Numbers::Alone, Numbers::Pair, true});
        writeCover(*file.tag(), tags);
        saved = file.save();
        break;
    }
    case TagContainer::Flac: {
        TagLib::FLAC::File file(name, false);
        if (!file.isValid()) return cannotWrite(path);
        putFields(*file.xiphComment(true), tags, {Numbers::Apart, Numbers::Apart, false});
        writeFlacCover(file, tags);
        saved = file.save();
        break;
    }
    case TagContainer::Ogg: {
        const OggFile file(name, true);
        if (!file.comment) return cannotWrite(path);
        toXiph(*file.comment, tags);
        saved = file.file->save();
        break;
    }
    case TagContainer::Mp4: {
        TagLib::MP4::File file(name, false);
        if (!file.isValid() || !file.tag()) return cannotWrite(path);
        putFields(*file.tag(), tags, {});
        writeCover(*file.tag(), tags);
        saved = file.save();
        break;
    }
    case TagContainer::Aiff: {
        TagLib::RIFF::AIFF::File file(name, false);
        if (!file.isValid()) return cannotWrite(path);
        toId3v2(*file.tag(), tags);
        saved = file.save(TagLib::ID3v2::v3);
        break;
    }
    case TagContainer::Ape:
        saved = writeApeFile<TagLib::APE::File>(name, tags);
        break;
    case TagContainer::WavPack:
        saved = writeApeFile<TagLib::WavPack::File>(name, tags);
        break;
    case TagContainer::Musepack:
        saved = writeApeFile<TagLib::MPC::File>(name, tags);
        break;
    case TagContainer::TrueAudio: {
        TagLib::TrueAudio::File file(name, false);
        if (!file.isValid()) return cannotWrite(path);
        toId3v2(*file.ID3v2Tag(true), tags);
        saved = file.save();
        break;
    }
    case TagContainer::None:
        break;
    }
    return saved ? QString() : cannotWrite(path);
}

bool TagChanges::isEmpty() const
{
    return !Title && !Artist && !Album && !Year && !Comment && !Genre && !Track;
}

QString UpdateId3v2(const QString& path, const TagChanges& changes)
{
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    if (!file.isValid() || !file.hasID3v2Tag()) return QStringLiteral("%1 has no ID3v2 tag").arg(path);
    if (changes.isEmpty()) return {};
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    const auto version = tag->header()->majorVersion() >= 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
    // Each field given replaces that field's frames (an empty one removes them);
    // every other frame stays as it was.
    if (changes.Title) tag->setTitle(toTag(*changes.Title));
    if (changes.Artist) tag->setArtist(toTag(*changes.Artist));
    if (changes.Album) tag->setAlbum(toTag(*changes.Album));
    if (changes.Comment) tag->setComment(toTag(*changes.Comment));
    if (changes.Genre) tag->setGenre(toTag(*changes.Genre));
    if (changes.Year) tag->setYear(changes.Year->trimmed().toUInt());
    if (changes.Track) {
        // A total the tag states ("5/12") stays with the new number.
        const TagLib::ID3v2::FrameList old = tag->frameList("TRCK");
        const QString total = old.isEmpty() ? QString() : fromTag(old.front()->toString()).section('/', 1);
        tag->removeFrames("TRCK");
        if (*changes.Track > 0) {
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame("TRCK", TagLib::String::Latin1);
            const QString text = QString::number(*changes.Track);
            frame->setText(toTag(total.isEmpty() ? text : text + '/' + total));
            tag->addFrame(frame);
        }
    }
    // Only the ID3v2 tag is saved; the ID3v1 tag stays as the editor wrote it.
    return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                     TagLib::File::DoNotDuplicate)
               ? QString()
               : QStringLiteral("cannot write the ID3v2 tag of %1").arg(path);
}

} // namespace audrel
