#pragma once
// Where an export's audio goes and what is written around it: the chapters, one file with its
// chapter marks or one file per chapter in a temporary folder renamed into place at the end,
// the tags of each file, captions and cue sheets, and the read-along EPUB made of the chapter
// files. Nothing is left behind when an export fails or is cancelled.
#include "export/AudioExport.h"
#include "export/AudioFileWriter.h"
#include "export/BookPlan.h"
#include "export/EncoderStage.h"
#include "export/ExportLeftovers.h"
#include "export/ExportParts.h"
#include "export/ExportText.h"

#include <QTemporaryDir>
#include <memory>

namespace orasent {

// The request's faults that need no synthesis, as a message; empty when there are none.
QString checkExportRequest(const ExportRequest& request);

class ExportOutputs {
public:
    explicit ExportOutputs(const ExportRequest& request);

    static QString splitFolderFor(const ExportRequest& request);

    // Plans the chapters and makes the temporary folder when one is needed. What killed
    // exports left in the working folder's records and in the target's folder goes first.
    bool prepare(QString* error);
    bool filePerChapter() const;
    QVector<int> chapterOfSentences(const QVector<SentenceSpan>& sentences) const;
    // A new file starting with `chapter`; returns its index in `parts`.
    int addPart(int chapter, std::unique_ptr<AudioFileWriter>* writer);
    // Writes the part's tags (on the encoder thread, before the file's rename).
    EncoderStage::BeforeCommit tagWriter(int part) const;
    // After every part is committed: captions, cue sheets, the split folder or the EPUB.
    bool finish(const QVector<SentenceSpan>& sentences, ExportResult* result);

    QVector<ExportChapter> chapters; // at least one after prepare()
    QVector<ExportPart> parts;

private:
    bool isEpub() const;
    QString partPath(int chapter) const;
    bool writeSideFiles(ExportResult* result);

    const ExportRequest& m_request;
    BookTags m_tags;
    ExportRecord m_record; // the temporaries of this export, while it runs
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace orasent
