#pragma once
// Running lines of pages read by text recognition, which gives paragraphs without their places:
// a paragraph among the first or last few of a page that also opens or closes a nearby page
// (digits counting as equal, and letters compared loosely for recognition's slips), or that is
// a page number, is a running head, footer, page number or printer's slug.
#include <QString>
#include <QStringList>
#include <map>

namespace orasent {

class RecognisedRunningLines {
public:
    static constexpr int kReach = 2; // pages either side compared: facing pages alternate heads
    static constexpr int kEdge = 3;  // paragraphs at each end of a page that may be running

    // The paragraphs read on page `index`; told again, the later one counts.
    void learn(int index, const QStringList& paragraphs);
    // Page `index`'s paragraphs without its running lines, as far as the pages told within
    // kReach of it show them.
    QStringList withoutRunningLines(int index, const QStringList& paragraphs) const;
    // Forgets the pages before `index`.
    void forgetBefore(int index);

private:
    struct Edges {
        QStringList top, bottom; // keys of the first and last kEdge paragraphs
    };
    bool repeated(int index, const QString& key, bool top) const;

    std::map<int, Edges> m_pages;
};

} // namespace orasent
