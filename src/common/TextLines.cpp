#include "common/TextLines.h"

#include "common/TextCodec.h"

#include <QFile>

namespace orasent {

QStringList splitLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != u'\r')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start).toString());
    return lines;
}

QString joinLinesCrLf(const QStringList& lines) {
    QString out;
    qsizetype total = 0;
    for (const QString& line : lines)
        total += line.size() + 2;
    out.reserve(total);
    for (const QString& line : lines) {
        out += line;
        out += QLatin1String("\r\n");
    }
    return out;
}

bool readTextFileLines(const QString& path, QStringList* lines, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    *lines = splitLines(decodeText(bytes));
    return true;
}

} // namespace orasent
