#include "info/audiotags.h"

#include "info/genres.h"
#include "info/mpegaudio.h"

#include <QFile>
#include <QFileInfo>

#include <taglib/asffile.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

namespace audrel {

namespace {

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

AudioTags fromTag(const TagLib::Tag& tag)
{
    AudioTags tags;
    tags.Title = fromTag(tag.title());
    tags.Artist = fromTag(tag.artist());
    tags.Album = fromTag(tag.album());
    tags.Comment = fromTag(tag.comment());
    tags.Genre = fromTag(tag.genre());
    tags.Year = tag.year() > 0 ? QString::number(tag.year()) : QString();
    tags.Track = tag.track();
    return tags;
}

// Only the fields the tags have: a result gets no "Year 0" or empty title.
void toTag(const AudioTags& tags, TagLib::Tag& tag)
{
    if (!tags.Title.isEmpty()) tag.setTitle(toTag(tags.Title));
    if (!tags.Artist.isEmpty()) tag.setArtist(toTag(tags.Artist));
    if (!tags.Album.isEmpty()) tag.setAlbum(toTag(tags.Album));
    if (!tags.Comment.isEmpty()) tag.setComment(toTag(tags.Comment));
    if (!tags.Genre.isEmpty()) tag.setGenre(toTag(tags.Genre));
    if (const unsigned year = tags.Year.left(4).toUInt(); year > 0) tag.setYear(year);
    if (tags.Track > 0) tag.setTrack(tags.Track);
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
    const QString ext = QFileInfo(name).suffix().toLower();
    if (ext == QLatin1String("mp3") || ext == QLatin1String("mp2") || ext == QLatin1String("mp1"))
        return TagContainer::Mpeg;
    if (ext == QLatin1String("wav")) return TagContainer::Wav;
    if (ext == QLatin1String("wma")) return TagContainer::Wma;
    return TagContainer::None;
}

bool AudioTags::isEmpty() const
{
    return Title.isEmpty() && Artist.isEmpty() && Album.isEmpty() && Year.isEmpty() && Comment.isEmpty() &&
           Genre.isEmpty() && Track == 0;
}

Id3v2Tag ReadId3v2(const QString& path)
{
    Id3v2Tag result;
    if (ContainerOf(path) != TagContainer::Mpeg) return result;
    TagLib::MPEG::File file(QFile::encodeName(path).constData(), false);
    if (!file.isValid() || !file.hasID3v2Tag()) return result;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    result.Present = true;
    result.Version = int(tag->header()->majorVersion());
    result.Tags = fromTag(*tag);
    return result;
}

AudioTags ReadTags(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    switch (ContainerOf(path)) {
    case TagContainer::Mpeg: {
        TagLib::MPEG::File file(name.constData(), false);
        if (!file.isValid()) return {};
        if (file.hasID3v2Tag()) {
            const AudioTags tags = fromTag(*file.ID3v2Tag());
            if (!tags.isEmpty()) return tags;
        }
        // Only a file that ends in an ID3v1 tag is analysed by the program's own reader.
        return file.hasID3v1Tag() ? readId3v1(path) : AudioTags();
    }
    case TagContainer::Wav: {
        TagLib::RIFF::WAV::File file(name.constData(), false);
        if (!file.isValid()) return {};
        if (file.hasID3v2Tag()) {
            const AudioTags tags = fromTag(*file.ID3v2Tag());
            if (!tags.isEmpty()) return tags;
        }
        return file.hasInfoTag() ? fromTag(*file.InfoTag()) : AudioTags();
    }
    case TagContainer::Wma: {
        TagLib::ASF::File file(name.constData(), false);
        return file.isValid() && file.tag() ? fromTag(*file.tag()) : AudioTags();
    }
    case TagContainer::None:
        break;
    }
    return {};
}

QString WriteTags(const QString& path, const AudioTags& tags, TagContainer container)
{
    if (tags.isEmpty()) return {};
    const QByteArray name = QFile::encodeName(path);
    switch (container) {
    case TagContainer::Mpeg: {
        {
            TagLib::MPEG::File file(name.constData(), false);
            if (!file.isValid()) return cannotWrite(path);
            toTag(tags, *file.ID3v2Tag(true));
            if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                           TagLib::File::DoNotDuplicate))
                return cannotWrite(path);
        }
        return writeId3v1(path, tags);
    }
    case TagContainer::Wav: {
        TagLib::RIFF::WAV::File file(name.constData(), false);
        if (!file.isValid()) return cannotWrite(path);
        toTag(tags, *file.InfoTag());
        toTag(tags, *file.ID3v2Tag());
        return file.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripNone, TagLib::ID3v2::v3)
                   ? QString()
                   : cannotWrite(path);
    }
    case TagContainer::Wma: {
        TagLib::ASF::File file(name.constData(), false);
        if (!file.isValid() || !file.tag()) return cannotWrite(path);
        toTag(tags, *file.tag());
        return file.save() ? QString() : cannotWrite(path);
    }
    case TagContainer::None:
        break;
    }
    return cannotWrite(path);
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
