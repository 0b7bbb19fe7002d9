#pragma once
// What every extractor returns, and the limits that keep hostile files from exhausting memory.
#include "documents/Document.h"
#include "documents/DocumentLoader.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>

namespace orasent {

namespace limits {
// One archive entry unpacked, in bytes.
constexpr std::int64_t kMaxEntryBytes = std::int64_t(256) << 20;
// All entries of one archive unpacked together, in bytes.
constexpr std::int64_t kMaxArchiveUnpackedBytes = std::int64_t(1) << 30;
// An entry over this size that unpacks to more than kMaxPackingRatio times its packed size is
// refused as a zip bomb before it is unpacked. Ordinary text packs 3 to 20 times.
constexpr std::int64_t kRatioCheckFromBytes = std::int64_t(32) << 20;
constexpr std::int64_t kMaxPackingRatio = 200;
// Characters of text taken from one document.
constexpr qsizetype kMaxTextChars = qsizetype(64) << 20;
// A document file read whole into memory, in bytes: archives and PDF; web pages and Markdown,
// whose parse trees take about twenty times their size.
constexpr std::int64_t kMaxDocumentFileBytes = std::int64_t(1) << 30;
constexpr std::int64_t kMaxMarkupFileBytes = std::int64_t(100) << 20;
} // namespace limits

struct Extraction {
    enum class Status {
        Ok,
        Corrupt,      // damaged, truncated or not of the expected kind
        Locked,       // encrypted parts
        TooLarge,     // an entry or the whole archive unpacks past the limits
        ZipBomb,      // packing ratio past the limit
        TextLimit,    // more text than kMaxTextChars
        Entities,     // XML that declares entities (entity expansion, external entities)
        PartsMissing, // every part the document names is absent
        Cancelled,
        PasswordProtected, // encrypted whole with a password (Word, OpenDocument)
    };
    Status status = Status::Ok;
    QVector<Paragraph> paragraphs;
    int skippedParts = 0; // named parts that were absent and left out
    DocumentMetadata metadata;
    QVector<ContentsEntry> contents; // empty: made from the headings
};

// Gathers paragraphs, counts the text against the limit and checks for Cancel now and then.
class ParagraphCollector {
public:
    explicit ParagraphCollector(const LoadProgress& progress,
                                qsizetype maxChars = limits::kMaxTextChars);

    void append(QStringView text);
    void appendUtf8(const char* text, qsizetype size);
    void appendBlank();
    void endParagraph();
    // What the open paragraph is; each ends with it and the next starts as a body paragraph.
    void setParagraphKind(Paragraph::Kind kind, int level = 0);
    void setParagraphLanguage(const QString& language);
    void setParagraphSourceId(const QString& sourceId);
    // Paragraphs collected so far: the index the next one will have.
    int paragraphCount() const { return int(m_paragraphs.size()); }
    // True while the open paragraph holds nothing but blanks.
    bool paragraphBlank() const;
    // Ends the open paragraph and moves the Note paragraphs from index `from` on to the end,
    // after a "Notes" paragraph of kind Note. Returns where each paragraph from `from` on went
    // (entry i for old index from + i); empty when nothing moved.
    QVector<int> gatherNotes(int from, const QString& sourceId = QString());
    const LoadProgress& progress() const { return m_progress; }

    // Counts one unit of work; every few thousand asks whether the user cancelled. False once
    // extraction must stop (cancelled or over the text limit).
    bool tick();
    bool stopped() const { return m_cancelled || m_overLimit; }
    // For a parser that cannot call tick() (gumbo's parse): asks now and remembers the answer.
    bool cancelRequested();

    // Ends the open paragraph and hands the paragraphs collected since the last call to the
    // progress's `arrived`: a part (a chapter) is complete and will not be parsed again.
    void handOverFinished();

    // Ends the open paragraph and returns a point to go back to when a part is parsed again
    // another way.
    struct Mark {
        qsizetype paragraphs = 0;
        qsizetype total = 0;
    };
    Mark mark();
    void rollback(const Mark& mark);

    // Ends the open paragraph; the status reflects Cancel and the text limit.
    Extraction finish(Extraction::Status status = Extraction::Status::Ok);

private:
    const LoadProgress& m_progress;
    qsizetype m_maxChars;
    QVector<Paragraph> m_paragraphs;
    Paragraph m_current;
    qsizetype m_total = 0;
    qsizetype m_handedOver = 0; // paragraphs given to `arrived` already
    unsigned m_ticks = 0;
    bool m_cancelled = false;
    bool m_overLimit = false;
};

} // namespace orasent
