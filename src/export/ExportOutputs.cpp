#include "export/ExportOutputs.h"

#include "common/AtomicFile.h"
#include "export/ReadAlongEpub.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace orasent {

namespace {

// A cue sheet numbers its tracks with two digits.
constexpr int kMaxCueTracks = 99;

bool samePath(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

QString folderProblem(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir())
        return QStringLiteral("The folder \"%1\" does not exist.").arg(folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("The folder \"%1\" cannot be written to.").arg(folder.filePath());
    return {};
}

QString bookTitle(const ExportRequest& request) {
    const QString title = request.document.metadata.title.simplified();
    return title.isEmpty() ? QFileInfo(request.outputPath).completeBaseName() : title;
}

// The language an espeak-ng voice speaks, from its identifier ("gmw/en-GB-x-rp": en-GB-x-rp).
QString voiceLanguage(const QString& voiceIdentifier) {
    static const QRegularExpression tag(QStringLiteral("^[A-Za-z]{2,3}(-[A-Za-z0-9]{1,8})*$"));
    const QString last = voiceIdentifier.section(QLatin1Char('/'), -1);
    return tag.match(last).hasMatch() ? last : QString();
}

QString withSuffix(const QString& path, const QString& suffix) {
    const QFileInfo info(path);
    const QString stem = info.suffix().isEmpty() ? path : path.chopped(info.suffix().size() + 1);
    return stem + QLatin1Char('.') + suffix;
}

} // namespace

QString checkExportRequest(const ExportRequest& request) {
    if (request.text.trimmed().isEmpty())
        return QStringLiteral("The text is empty: there is nothing to export.");
    if (request.outputPath.isEmpty())
        return QStringLiteral("No output file was given.");
    if (samePath(request.outputPath, request.inputPath))
        return QStringLiteral("The audio file would replace the text being exported. Choose "
                              "another name.");
    const QString captions = captionPathFor(request.outputPath, request.captions);
    if (samePath(captions, request.outputPath))
        return QStringLiteral("The captions would have the audio file's name. Choose another "
                              "name or other captions.");
    if (samePath(captions, request.inputPath))
        return QStringLiteral("The captions would replace the text being exported. Choose "
                              "another name.");
    if (QFileInfo(request.outputPath).isDir())
        return QStringLiteral("\"%1\" is a folder.").arg(request.outputPath);
    if (!(request.fromSentence >= 1))
        return QStringLiteral("The sentence to start from must be 1 or more.");
    if (request.splitChapters && request.format != AudioFileFormat::Epub) {
        const QString folder = ExportOutputs::splitFolderFor(request);
        if (QFileInfo::exists(folder))
            return QStringLiteral("The folder \"%1\" already exists. Choose another name, or "
                                  "move that folder away first.")
                .arg(QDir::toNativeSeparators(folder));
    }
    return folderProblem(request.outputPath);
}

ExportOutputs::ExportOutputs(const ExportRequest& request)
    : m_request(request), m_record(QDir::currentPath()) {}

QString ExportOutputs::splitFolderFor(const ExportRequest& request) {
    const QFileInfo output(request.outputPath);
    return output.absoluteDir().filePath(safeFileName(bookTitle(request), QStringLiteral("Book")));
}

bool ExportOutputs::isEpub() const {
    return m_request.format == AudioFileFormat::Epub;
}

bool ExportOutputs::filePerChapter() const {
    return isEpub() || m_request.splitChapters;
}

bool ExportOutputs::prepare(QString* error) {
    const bool cueSheet = m_request.format == AudioFileFormat::Wav && !filePerChapter();
    chapters = planChapters(m_request.document, m_request.paragraphStarts,
                            cueSheet ? kMaxCueTracks : kMaxChapters);
    if (chapters.isEmpty())
        chapters.append({bookTitle(m_request), 0});
    const DocumentMetadata& meta = m_request.document.metadata;
    m_tags.title = bookTitle(m_request);
    m_tags.author = meta.author.simplified();
    m_tags.language =
        meta.language.isEmpty() ? voiceLanguage(m_request.voiceIdentifier) : meta.language;
    m_tags.encodedBy = QStringLiteral("Orasent (%1)").arg(m_request.voiceName);
    m_tags.coverJpeg = m_request.coverJpeg;
    const QString parent = QFileInfo(m_request.outputPath).absolutePath();
    removeRecordedLeftovers(QDir::currentPath());
    removeLeftoversIn(parent);
    if (!filePerChapter())
        return true;
    // Beside the target, so that the finished folder or book is renamed into place.
    m_folder = std::make_unique<QTemporaryDir>(parent + QLatin1Char('/') + exportTemporaryPrefix() +
                                               QStringLiteral("XXXXXX"));
    if (!m_folder->isValid()) {
        *error = QStringLiteral("Could not make a temporary folder in \"%1\": %2")
                     .arg(QDir::toNativeSeparators(parent), m_folder->errorString());
        return false;
    }
    m_record.add(m_folder->path());
    return true;
}

QVector<int> ExportOutputs::chapterOfSentences(const QVector<SentenceSpan>& sentences) const {
    QVector<int> of;
    of.reserve(sentences.size());
    int c = 0;
    for (const SentenceSpan& s : sentences) {
        qsizetype first = s.start;
        while (first < s.start + s.length && m_request.text.at(first).isSpace())
            ++first;
        while (c + 1 < chapters.size() && chapters[c + 1].textOffset <= first)
            ++c;
        of.append(c);
    }
    return of;
}

QString ExportOutputs::partPath(int chapter) const {
    if (!filePerChapter())
        return m_request.outputPath;
    const int digits = chapters.size() > 99 ? 3 : 2;
    const QString number = QStringLiteral("%1").arg(chapter + 1, digits, 10, QLatin1Char('0'));
    if (isEpub())
        return m_folder->filePath(QStringLiteral("audio%1.mp3").arg(number));
    const QString title =
        safeFileName(chapters[chapter].title, QStringLiteral("Chapter %1").arg(chapter + 1));
    return m_folder->filePath(
        QStringLiteral("%1 %2.%3").arg(number, title, audioFormatExtension(m_request.format)));
}

int ExportOutputs::addPart(int chapter, std::unique_ptr<AudioFileWriter>* writer) {
    ExportPart part;
    part.chapter = chapter;
    part.audioPath = partPath(chapter);
    *writer =
        std::make_unique<AudioFileWriter>(part.audioPath, m_request.format, m_request.quality);
    if (!m_folder && (*writer)->isOpen())
        m_record.add((*writer)->temporaryPath());
    parts.append(part);
    return int(parts.size()) - 1;
}

EncoderStage::BeforeCommit ExportOutputs::tagWriter(int part) const {
    if (isEpub())
        return {};
    BookTags tags = m_tags;
    QVector<ChapterMark> marks = parts[part].marks;
    if (m_request.splitChapters) {
        tags.album = tags.title;
        tags.title = chapters[parts[part].chapter].title;
        tags.track = parts[part].chapter + 1;
        tags.trackCount = int(chapters.size());
        marks.clear();
    } else if (chapters.size() < 2) {
        marks.clear();
    }
    const AudioFileFormat format = m_request.format;
    return [format, tags, marks](const QString& path) {
        QString error;
        writeAudioTags(path, format, tags, marks, &error);
        return error;
    };
}

bool ExportOutputs::writeSideFiles(ExportResult* result) {
    for (const ExportPart& part : parts) {
        if (m_request.captions != CaptionFormat::None) {
            const QString path = captionPathFor(part.audioPath, m_request.captions);
            if (!writeFileAtomically(path, formatCaptions(m_request.captions, part.cues),
                                     &result->error))
                return false;
            result->captionPath = path;
            result->cues += int(part.cues.size());
        }
        if (m_request.format == AudioFileFormat::Wav && !m_request.splitChapters &&
            part.marks.size() >= 2 &&
            !writeFileAtomically(withSuffix(part.audioPath, QStringLiteral("cue")),
                                 cueSheet(QFileInfo(part.audioPath).fileName(), m_tags, part.marks),
                                 &result->error))
            return false;
    }
    return true;
}

bool ExportOutputs::finish(const QVector<SentenceSpan>& sentences, ExportResult* result) {
    result->chapters = filePerChapter() ? int(parts.size()) : int(parts.value(0).marks.size());
    if (isEpub()) {
        ReadAlongBook book{m_request, chapters, parts, sentences, m_tags};
        return writeReadAlongEpub(book, m_folder->path(), m_request.outputPath, &result->error);
    }
    if (!writeSideFiles(result))
        return false;
    if (!m_request.splitChapters)
        return true;
    const QString target = splitFolderFor(m_request);
    if (std::rename(QFile::encodeName(m_folder->path()).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        result->error = QStringLiteral("Could not name the folder \"%1\".")
                            .arg(QDir::toNativeSeparators(target));
        return false;
    }
    ::chmod(QFile::encodeName(target).constData(), 0755);
    result->audioPath = target;
    if (!result->captionPath.isEmpty())
        result->captionPath = QDir(target).filePath(QFileInfo(result->captionPath).fileName());
    return true;
}

} // namespace orasent
