#include "documents/NoteFilter.h"

namespace orasent {

bool dropNotes(DocumentLoad* load) {
    const QVector<Paragraph>& all = load->document.paragraphs;
    // Where each old paragraph lands: its new index, or that of the next kept one.
    QVector<int> landing(all.size() + 1);
    QVector<Paragraph> kept;
    for (int i = 0; i < all.size(); ++i) {
        landing[i] = int(kept.size());
        if (all.at(i).kind != Paragraph::Kind::Note)
            kept.append(all.at(i));
    }
    if (kept.size() == all.size())
        return false;
    landing[all.size()] = int(kept.size());
    QVector<ContentsEntry> contents;
    for (ContentsEntry entry : std::as_const(load->document.contents)) {
        entry.paragraph = landing.value(qBound(0, entry.paragraph, int(all.size())));
        if (entry.paragraph < kept.size())
            contents.append(entry);
    }
    BookTextMap map = bookTextFromDocument(kept);
    load->bookText = std::move(map.bookText);
    load->paragraphStarts = std::move(map.starts);
    load->document.paragraphs = std::move(kept);
    load->document.contents = std::move(contents);
    return true;
}

} // namespace orasent
