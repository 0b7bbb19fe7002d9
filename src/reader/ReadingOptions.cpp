#include "reader/ReadingOptions.h"

#include "common/AtomicFile.h"

#include <QFile>
#include <QList>

namespace orasent {

namespace {
const QByteArray kLanguageKey = "DOCUMENTLANGUAGE=";
const QByteArray kNotesKey = "READNOTES=";
const QByteArray kScreenReaderKey = "SCREENREADERSPEAKS=";
const QByteArray kSyllablesKey = "SHOWSYLLABLES=";

// "1"/"0" as written; anything else keeps the default.
void readFlag(const QByteArray& value, bool* flag) {
    const QByteArray v = value.trimmed();
    if (v == "1")
        *flag = true;
    else if (v == "0")
        *flag = false;
}
} // namespace

ReadingOptions parseReadingOptions(const QByteArray& bytes) {
    ReadingOptions options;
    for (const QByteArray& rawLine : bytes.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith(kLanguageKey))
            readFlag(line.mid(kLanguageKey.size()), &options.readInDocumentLanguage);
        else if (line.startsWith(kNotesKey))
            readFlag(line.mid(kNotesKey.size()), &options.readNotes);
        else if (line.startsWith(kScreenReaderKey))
            readFlag(line.mid(kScreenReaderKey.size()), &options.screenReaderSpeaks);
        else if (line.startsWith(kSyllablesKey))
            readFlag(line.mid(kSyllablesKey.size()), &options.showSyllables);
    }
    return options;
}

QByteArray formatReadingOptions(const ReadingOptions& options) {
    return kLanguageKey + (options.readInDocumentLanguage ? "1" : "0") + "\r\n" + kNotesKey +
           (options.readNotes ? "1" : "0") + "\r\n" + kScreenReaderKey +
           (options.screenReaderSpeaks ? "1" : "0") + "\r\n" + kSyllablesKey +
           (options.showSyllables ? "1" : "0") + "\r\n";
}

ReadingOptions readReadingOptionsFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseReadingOptions(file.read(64 * 1024));
}

bool writeReadingOptionsFile(const QString& path, const ReadingOptions& options, QString* error) {
    return writeFileAtomically(path, formatReadingOptions(options), error);
}

} // namespace orasent
