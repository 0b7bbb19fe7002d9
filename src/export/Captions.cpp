#include "export/Captions.h"

#include <QStringBuilder>

namespace orasent {

namespace {

QString twoDigits(qint64 value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString vttEscaped(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            out += QLatin1String("&amp;");
        else if (c == u'<')
            out += QLatin1String("&lt;");
        else if (c == u'>')
            out += QLatin1String("&gt;");
        else
            out += c;
    }
    return out;
}

// A line that is empty or holds only blanks would end the cue early in SRT and WebVTT.
QString withoutEmptyLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    QString joined = lines.join(QLatin1Char('\n'));
    return joined.isEmpty() ? QStringLiteral(" ") : joined;
}

QString vttPayload(const Cue& cue) {
    QString out;
    qsizetype at = 0;
    qint64 lastMs = cue.startMs;
    for (const CaptionWord& word : cue.words) {
        if (word.ms <= lastMs || word.ms >= cue.endMs || word.offset <= at ||
            word.offset > cue.text.size())
            continue;
        out += vttEscaped(QStringView(cue.text).mid(at, word.offset - at));
        out += QLatin1Char('<') % captionTimestamp(word.ms, u'.') % QLatin1Char('>');
        at = word.offset;
        lastMs = word.ms;
    }
    out += vttEscaped(QStringView(cue.text).mid(at));
    return out;
}

} // namespace

QString captionTimestamp(qint64 ms, QChar fractionSeparator) {
    ms = qMax<qint64>(0, ms);
    return twoDigits(ms / 3600000) % QLatin1Char(':') % twoDigits(ms / 60000 % 60) %
           QLatin1Char(':') % twoDigits(ms / 1000 % 60) % fractionSeparator %
           QStringLiteral("%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QByteArray formatSrt(const QVector<Cue>& cues) {
    QString out;
    for (int i = 0; i < cues.size(); ++i) {
        const Cue& cue = cues[i];
        out += QString::number(i + 1) % QLatin1Char('\n') % captionTimestamp(cue.startMs, u',') %
               QLatin1String(" --> ") % captionTimestamp(cue.endMs, u',') % QLatin1Char('\n') %
               withoutEmptyLines(cue.text) % QLatin1String("\n\n");
    }
    return out.toUtf8();
}

QByteArray formatVtt(const QVector<Cue>& cues) {
    QString out = QStringLiteral("WEBVTT\n\n");
    for (int i = 0; i < cues.size(); ++i) {
        const Cue& cue = cues[i];
        out += QString::number(i + 1) % QLatin1Char('\n') % captionTimestamp(cue.startMs, u'.') %
               QLatin1String(" --> ") % captionTimestamp(cue.endMs, u'.') % QLatin1Char('\n') %
               withoutEmptyLines(vttPayload(cue)) % QLatin1String("\n\n");
    }
    return out.toUtf8();
}

QByteArray formatLrc(const QVector<Cue>& cues) {
    const auto stamp = [](qint64 ms) -> QString {
        ms = qMax<qint64>(0, ms);
        return QLatin1Char('[') % twoDigits(ms / 60000) % QLatin1Char(':') %
               twoDigits(ms / 1000 % 60) % QLatin1Char('.') % twoDigits(ms % 1000 / 10) %
               QLatin1Char(']');
    };
    QString out;
    for (const Cue& cue : cues) {
        QString line = cue.text;
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        out += stamp(cue.startMs) % line % QLatin1Char('\n');
    }
    if (!cues.isEmpty())
        out += stamp(cues.constLast().endMs) % QLatin1Char('\n');
    return out.toUtf8();
}

QByteArray formatCaptions(CaptionFormat format, const QVector<Cue>& cues) {
    switch (format) {
    case CaptionFormat::Srt:
        return formatSrt(cues);
    case CaptionFormat::Vtt:
        return formatVtt(cues);
    case CaptionFormat::Lrc:
        return formatLrc(cues);
    case CaptionFormat::None:
        break;
    }
    return {};
}

} // namespace orasent
