#include "export/AudioTags.h"

#include <QFile>
#include <QLocale>

#include <taglib/attachedpictureframe.h>
#include <taglib/chapterframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

#include <fcntl.h>
#include <unistd.h>

namespace orasent {

namespace {

TagLib::String str(const QString& text) {
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

TagLib::ByteVector bytes(const QByteArray& data) {
    return TagLib::ByteVector(data.constData(), unsigned(data.size()));
}

// ID3 wants ISO 639-2 ("eng"); BCP 47 gives "en" or "en-GB".
QString threeLetterLanguage(const QString& bcp47) {
    const QLocale locale(bcp47.section(QLatin1Char('-'), 0, 0));
    if (bcp47.isEmpty() || locale.language() == QLocale::C)
        return {};
    return QLocale::languageToCode(locale.language(), QLocale::ISO639Part2);
}

void setText(TagLib::ID3v2::Tag* tag, const char* id, const QString& text) {
    if (text.isEmpty())
        return;
    tag->removeFrames(id);
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::UTF8);
    frame->setText(str(text));
    tag->addFrame(frame);
}

void writeId3(TagLib::ID3v2::Tag* tag, const BookTags& tags, const QVector<ChapterMark>& chapters) {
    setText(tag, "TIT2", tags.title);
    setText(tag, "TPE1", tags.author);
    setText(tag, "TALB", tags.album);
    setText(tag, "TLAN", threeLetterLanguage(tags.language));
    setText(tag, "TSSE", tags.encodedBy);
    if (tags.track > 0)
        setText(tag, "TRCK", QStringLiteral("%1/%2").arg(tags.track).arg(tags.trackCount));
    if (!tags.coverJpeg.isEmpty()) {
        auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
        picture->setMimeType("image/jpeg");
        picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        picture->setPicture(bytes(tags.coverJpeg));
        tag->addFrame(picture);
    }
    if (chapters.isEmpty())
        return;
    auto* toc = new TagLib::ID3v2::TableOfContentsFrame("toc");
    toc->setIsTopLevel(true);
    toc->setIsOrdered(true);
    for (int i = 0; i < chapters.size(); ++i) {
        const TagLib::ByteVector id(QByteArray("chp" + QByteArray::number(i + 1)).constData());
        auto* title = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
        title->setText(str(chapters[i].title));
        TagLib::ID3v2::FrameList embedded;
        embedded.append(title);
        tag->addFrame(new TagLib::ID3v2::ChapterFrame(id, unsigned(chapters[i].startMs),
                                                      unsigned(chapters[i].endMs), 0xFFFFFFFF,
                                                      0xFFFFFFFF, embedded));
        toc->addChildElement(id);
    }
    tag->addFrame(toc);
}

TagLib::FLAC::Picture* flacPicture(const QByteArray& jpeg) {
    auto* picture = new TagLib::FLAC::Picture;
    picture->setType(TagLib::FLAC::Picture::FrontCover);
    picture->setMimeType("image/jpeg");
    picture->setData(bytes(jpeg));
    return picture;
}

void writeXiph(TagLib::Ogg::XiphComment* comment, const BookTags& tags,
               const QVector<ChapterMark>& chapters, bool withPicture) {
    const auto field = [comment](const char* key, const QString& value) {
        if (!value.isEmpty())
            comment->addField(key, str(value), true);
    };
    field("TITLE", tags.title);
    field("ARTIST", tags.author);
    field("ALBUM", tags.album);
    field("LANGUAGE", tags.language);
    field("ENCODER", tags.encodedBy);
    if (tags.track > 0) {
        field("TRACKNUMBER", QString::number(tags.track));
        field("TRACKTOTAL", QString::number(tags.trackCount));
    }
    for (int i = 0; i < chapters.size(); ++i) {
        const QByteArray key =
            QStringLiteral("CHAPTER%1").arg(i + 1, 3, 10, QLatin1Char('0')).toLatin1();
        field(key.constData(), chapterTimestamp(chapters[i].startMs));
        field((key + "NAME").constData(), chapters[i].title);
    }
    if (withPicture && !tags.coverJpeg.isEmpty())
        comment->addPicture(flacPicture(tags.coverJpeg));
}

bool saveFile(TagLib::File& file, const QString& path, QString* error) {
    if (!file.isValid() || file.readOnly()) {
        *error = QStringLiteral("TagLib cannot open \"%1\"").arg(path);
        return false;
    }
    if (!file.save()) {
        *error = QStringLiteral("TagLib cannot save the tags of \"%1\"").arg(path);
        return false;
    }
    return true;
}

} // namespace

QString chapterTimestamp(qint64 ms) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

bool writeAudioTags(const QString& path, AudioFileFormat format, const BookTags& tags,
                    const QVector<ChapterMark>& chapters, QString* error) {
    const QByteArray name = QFile::encodeName(path);
    bool saved = false;
    switch (format) {
    case AudioFileFormat::Mp3:
    case AudioFileFormat::Epub: {
        TagLib::MPEG::File file(name.constData(), false);
        if (file.isValid())
            writeId3(file.ID3v2Tag(true), tags, chapters);
        saved = file.isValid() && !file.readOnly() &&
                file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v4);
        if (!saved)
            *error = QStringLiteral("TagLib cannot save the tags of \"%1\"").arg(path);
        break;
    }
    case AudioFileFormat::OggVorbis: {
        TagLib::Ogg::Vorbis::File file(name.constData(), false);
        if (file.isValid())
            writeXiph(file.tag(), tags, chapters, true);
        saved = saveFile(file, path, error);
        break;
    }
    case AudioFileFormat::Opus: {
        TagLib::Ogg::Opus::File file(name.constData(), false);
        if (file.isValid())
            writeXiph(file.tag(), tags, chapters, true);
        saved = saveFile(file, path, error);
        break;
    }
    case AudioFileFormat::Flac: {
        TagLib::FLAC::File file(name.constData(), false);
        if (file.isValid()) {
            writeXiph(file.xiphComment(true), tags, chapters, false);
            if (!tags.coverJpeg.isEmpty())
                file.addPicture(flacPicture(tags.coverJpeg));
        }
        saved = saveFile(file, path, error);
        break;
    }
    case AudioFileFormat::Wav: {
        TagLib::RIFF::WAV::File file(name.constData(), false);
        if (file.isValid()) {
            TagLib::RIFF::Info::Tag* info = file.InfoTag();
            info->setTitle(str(tags.title));
            info->setArtist(str(tags.author));
            info->setAlbum(str(tags.album));
            info->setTrack(unsigned(qMax(0, tags.track)));
            info->setFieldText("ISFT", str(tags.encodedBy));
        }
        saved = saveFile(file, path, error);
        break;
    }
    }
    if (!saved)
        return false;
    // TagLib does not flush: the file must be on disk before it is renamed into place.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        *error = QStringLiteral("Could not flush \"%1\" to disk").arg(path);
    return synced;
}

QByteArray cueSheet(const QString& audioFileName, const BookTags& tags,
                    const QVector<ChapterMark>& chapters) {
    const auto quoted = [](QString text) {
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1Char('\'')).simplified() +
               QLatin1Char('"');
    };
    QString out;
    if (!tags.author.isEmpty())
        out += QStringLiteral("PERFORMER %1\n").arg(quoted(tags.author));
    if (!tags.title.isEmpty())
        out += QStringLiteral("TITLE %1\n").arg(quoted(tags.title));
    out += QStringLiteral("FILE %1 WAVE\n").arg(quoted(audioFileName));
    for (int i = 0; i < chapters.size(); ++i) {
        const qint64 frames = chapters[i].startMs * 75 / 1000; // a cue frame is 1/75 s
        out += QStringLiteral("  TRACK %1 AUDIO\n    TITLE %2\n    INDEX 01 %3:%4:%5\n")
                   .arg(i + 1, 2, 10, QLatin1Char('0'))
                   .arg(quoted(chapters[i].title))
                   .arg(frames / 75 / 60, 2, 10, QLatin1Char('0'))
                   .arg(frames / 75 % 60, 2, 10, QLatin1Char('0'))
                   .arg(frames % 75, 2, 10, QLatin1Char('0'));
    }
    return out.toUtf8();
}

} // namespace orasent
