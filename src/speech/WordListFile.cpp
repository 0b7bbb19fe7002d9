#include "speech/WordListFile.h"

#include "common/AtomicFile.h"
#include "common/TextCodec.h"
#include "common/TextLines.h"
#include "speech/CharacterCase.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace orasent {

const char* const kSortLimitMessage = "Could not sort the list. Only 2000 entries allowed";

namespace {

constexpr int kMaxTrailingSeparatorsRemoved = 9999;
constexpr int kSortSlots = 2000;
constexpr qsizetype kMaxTestLength = 255;

void removeTrailingSeparators(QString& list) {
    int removed = 0;
    while (removed < kMaxTrailingSeparatorsRemoved && list.endsWith(u'|')) {
        list.chop(1);
        ++removed;
    }
}

// Code unit by code unit; a proper prefix is smaller.
bool ordinalLess(const QString& a, const QString& b) {
    return std::lexicographical_compare(a.utf16(), a.utf16() + a.size(), b.utf16(),
                                        b.utf16() + b.size());
}

QString firstUnits(QStringView text, qsizetype count) {
    if (text.size() <= count)
        return text.toString();
    QStringView cut = text.left(count);
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut.toString();
}

} // namespace

QString loadReplacementList(const QString& path) {
    QStringList lines;
    if (!QFileInfo::exists(path) || !readTextFileLines(path, &lines))
        return {};
    // Every line followed by "|", then the trailing ones removed.
    QString list = lines.join(u'|');
    if (!lines.isEmpty())
        list += u'|';
    removeTrailingSeparators(list);
    return list;
}

QString listToEditText(const QString& replacementList) {
    QString text;
    text.reserve(replacementList.size() + replacementList.count(u'|') + 2);
    for (const QChar c : replacementList) {
        if (c == u'|')
            text += QLatin1String("\r\n");
        else
            text += c;
    }
    text += QLatin1String("\r\n");
    return text;
}

QString editTextToList(const QString& editText, const std::function<void()>& letEventsRun) {
    const QString source = editText; // a handler run at a CR may change the caller's text
    QString list;
    list.reserve(source.size());
    for (const QChar c : source) {
        if (c == u'\r') {
            if (letEventsRun)
                letEventsRun();
        } else if (c == u'\n') {
            list += u'|';
        } else {
            list += c;
        }
    }
    list = upperCaseByCharacter(list);
    removeTrailingSeparators(list);
    return list;
}

bool saveWordListFile(const QString& path, const QString& editText, QString* error) {
    return writeFileAtomically(path, encodeText(editText + QLatin1String("\r\n")), error);
}

std::optional<QString> sortEditText(const QString& editText) {
    QStringList lines;
    QString current;
    for (const QChar c : editText) {
        if (c == u'\r')
            continue;
        if (c == u'\n') {
            lines.append(current);
            current.clear();
            if (lines.size() + 1 > kSortSlots)
                return std::nullopt;
            continue;
        }
        current += c;
    }
    if (!current.isEmpty())
        lines.append(current); // at most the 2000th slot: 1999 line feeds came before it

    std::vector<QString> keys;
    keys.reserve(size_t(lines.size()));
    for (const QString& line : lines)
        keys.push_back(upperCaseByCharacter(line));
    std::vector<qsizetype> order(size_t(lines.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = qsizetype(i);
    // Lines whose upper-case forms are equal keep their order.
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        return ordinalLess(keys[size_t(a)], keys[size_t(b)]);
    });

    QString sorted;
    sorted.reserve(editText.size() + 2);
    for (const qsizetype index : order) {
        const QString& line = lines.at(index);
        if (line.isEmpty())
            continue;
        sorted += line;
        sorted += QLatin1String("\r\n");
    }
    return sorted;
}

QString lastWordToTest(const QString& editText) {
    const qsizetype equals = editText.lastIndexOf(u'=');
    if (equals < 0)
        return firstUnits(editText, kMaxTestLength);
    return firstUnits(QStringView(editText).mid(equals + 1), kMaxTestLength);
}

} // namespace orasent
