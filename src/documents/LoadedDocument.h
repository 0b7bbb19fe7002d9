#pragma once
// One loaded document as the reader reads it (notes dropped or kept), whole and unchanging: its
// BookText, paragraphs and where each starts, contents, metadata, languages and cover. Shared
// read-only by the reader, its contents and chapter steps, the media player, the sleep timer and
// the export, so that they all see the same text.
#include "documents/Document.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVector>
#include <optional>

namespace orasent {

class LoadedDocument {
public:
    // An entry of the contents that lies inside the text.
    struct Chapter {
        int index = -1;      // in chapters()
        QString title;       // simplified
        int level = 1;       // 1..6
        double position = 1; // 1-based BookText position where it begins
        double end = 0;      // 1-based position where the next chapter begins; 0: the text's end
    };

    LoadedDocument() = default;
    // `path` absolute; `starts` 0-based offsets in `bookText` of `document`'s paragraphs (a plain
    // text file: of its lines, its document holding no paragraphs).
    LoadedDocument(QString path, QString bookText, Document document, QVector<qsizetype> starts);

    const QString& path() const { return m_path; }
    const QString& bookText() const { return m_bookText; }
    const Document& document() const { return m_document; }
    const QVector<qsizetype>& paragraphStarts() const { return m_starts; }
    const DocumentMetadata& metadata() const { return m_document.metadata; }
    const QByteArray& coverJpeg() const { return m_document.metadata.coverJpeg; } // empty: none

    // The contents entries that lead into the text, in the contents' order.
    const QVector<Chapter>& chapters() const { return m_chapters; }
    // The chapter that 1-based `position` lies in: the one beginning last at or before it (of
    // two at one place, the later listed); nothing before the first.
    std::optional<Chapter> chapterAt(double position) const;
    // The language of the paragraph holding 0-based `offset` ("" when none is declared).
    QString languageAt(qsizetype offset) const;

private:
    struct LanguageRun {
        qsizetype start = 0;
        QString language;
    };
    QString m_path;
    QString m_bookText;
    Document m_document;
    QVector<qsizetype> m_starts;
    QVector<Chapter> m_chapters;
    QVector<LanguageRun> m_languages;
};

// A document's key in the library and in the pronunciation rules: a hash of its whole text, so a
// moved or renamed file is still known.
QByteArray contentKey(QStringView bookText);

} // namespace orasent
