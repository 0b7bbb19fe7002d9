#pragma once
// Turns a file of any readable kind (plain text, EPUB, PDF, DOCX, ODT, HTML, Markdown) into the
// reader's BookText. Plain text files go through loadBookText unchanged.
#include "documents/Document.h"

#include <QString>
#include <functional>
#include <optional>

namespace orasent {

// Called from the thread that loads; each may be empty.
struct LoadProgress {
    std::function<void(int done, int total)> report; // e.g. pages or chapters
    std::function<bool()> cancelled;                 // true: stop as soon as possible
    // Asked when the document needs a password to open; `again` is true after a wrong one. No
    // value: the user gave up, and the load is cancelled. Nothing keeps the password.
    std::function<std::optional<QString>(bool again)> password;
    // The document's paragraphs as they become final (pages or chapters read), in order and
    // each once, so that reading can start before the end. The finished DocumentLoad holds them
    // all again, in the same order. Kinds that cannot tell early hand nothing over.
    std::function<void(const QVector<Paragraph>& paragraphs)> arrived;
};

struct DocumentLoad {
    enum class Status { Loaded, Failed, Cancelled };
    Status status = Status::Failed;
    QString bookText;
    // Failed: a sentence for the user ("This PDF is locked with a password."); empty means the
    // design's "Error loading file" box. bookText then holds what plain text loading kept.
    QString error;
    // Failed: `error` is spoken, not shown in a box ("No text was found in this picture.").
    bool errorSpoken = false;
    // Loaded: a sentence spoken before the reading starts ("2 chapters of this e-book are missing
    // from the file and were left out.", or pictures read as English because the voice's
    // language has no recognition data); empty when there is none.
    QString notice;
    // Loaded: the document BookText was made from, and where each of its paragraphs starts in
    // BookText (0-based). Plain text files give only the starts: their paragraphs are BookText's
    // own lines, so document.paragraphs stays empty rather than holding the text twice (see
    // paragraphTexts()).
    Document document;
    QVector<qsizetype> paragraphStarts;
};

// The paragraphs of a load: the document's, or for a plain text file its BookText lines.
QVector<Paragraph> paragraphTexts(const DocumentLoad& load);

// Safe to call from a worker thread.
DocumentLoad loadDocument(const QString& path, const LoadProgress& progress = {});

// Open File's type test: ".TXT" anywhere in the upper-cased path, or a readable document's
// extension at the end of the path in any letter case.
bool isReadablePath(const QString& path);

// Spoken when Open File refuses a file: names the readable types.
QString readableTypesMessage();

} // namespace orasent
