#pragma once
// Reads the XML of a Word or OpenDocument text part into paragraphs with their kind (heading
// level, list item, cell) and language, and gathers the notes: ODF's inline note bodies, and
// Word's references to notes kept in parts of their own.
#include "documents/Extraction.h"
#include "documents/NotePlacement.h"
#include "documents/OfficeStyles.h"

#include <QHash>
#include <QXmlStreamReader>

namespace orasent {

class OfficeReader {
public:
    enum class Format { Word, Odf };
    struct NoteReference {
        QString id; // "f3": footnote 3, "e1": endnote 1
        int paragraph = 0;
    };
    struct NoteRange {
        QString id; // the w:id of a w:footnote or w:endnote
        int first = 0;
        int end = 0; // one past its last paragraph
    };

    OfficeReader(Format format, const OfficeStyles& styles, ParagraphCollector& out);

    Extraction::Status read(const QByteArray& bytes);

    // ODF: notes whose bodies were read in place, by the paragraph that holds them.
    const QVector<PlacedNote>& notes() const { return m_notes; }
    // Word: notes referred to in the body, in order.
    const QVector<NoteReference>& noteReferences() const { return m_references; }
    // Word's notes parts: where each note's paragraphs are among those read.
    const QVector<NoteRange>& noteRanges() const { return m_ranges; }

private:
    enum class Role;
    struct ParagraphState {
        QString style;
        int outlineLevel = -1; // set on the paragraph itself (Word's w:outlineLvl, ODF's text:h)
        bool numbered = false;
        QHash<QString, qsizetype> charsByLanguage;
    };

    Role roleOf(QStringView ns, QStringView name) const;
    Role wordRole(QStringView ns, QStringView name) const;
    Role odfRole(QStringView ns, QStringView name) const;
    Extraction::Status readUntilEnd(QXmlStreamReader& xml, int depth);
    void start(QXmlStreamReader& xml);
    void end(QXmlStreamReader& xml);
    void characters(QStringView text);
    void beginParagraph(const QXmlStreamReader& xml);
    void flushParagraph();
    void readParagraphProperties(QXmlStreamReader& xml);
    void readInlineNote(QXmlStreamReader& xml);
    void altText(QStringView alt);
    QString currentLanguage() const;
    const OfficeStyle* styleOf(const QString& name) const;

    Format m_format;
    const OfficeStyles m_styles; // shared, not copied: QHash is implicitly shared
    ParagraphCollector& m_out;
    const LoadProgress& m_progress;
    ParagraphState m_paragraph;
    int m_paragraphDepth = 0;
    int m_textDepth = 0;
    int m_cellDepth = 0;
    int m_listDepth = 0;
    QString m_runLanguage;
    QStringList m_spanLanguages; // ODF spans, innermost last
    QVector<PlacedNote> m_notes;
    QVector<NoteReference> m_references;
    QVector<NoteRange> m_ranges;
    Extraction::Status m_noteStatus;
    int m_noteNesting = 0; // notes this reader's note lies within
};

} // namespace orasent
