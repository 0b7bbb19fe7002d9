#include "app/HandOver.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace orasent {

namespace {
constexpr int kLongestPath = 4096; // PATH_MAX: no file has a longer name

struct KindName {
    HandOver::Kind kind;
    const char* name;
};
constexpr KindName kKindNames[] = {{HandOver::Kind::Show, "show"},
                                   {HandOver::Kind::Open, "open"},
                                   {HandOver::Kind::ReadSelection, "read-selection"},
                                   {HandOver::Kind::ReadClipboard, "read-clipboard"},
                                   {HandOver::Kind::Stop, "stop"}};

std::nullopt_t refuse(QString* why, const QString& reason) {
    if (why)
        *why = reason;
    return std::nullopt;
}
} // namespace

HandOver handOverFor(const CommandLine& line, const QString& absoluteFile) {
    HandOver request;
    switch (line.action) {
    case CommandLine::Action::ReadSelection:
        request.kind = HandOver::Kind::ReadSelection;
        break;
    case CommandLine::Action::ReadClipboard:
        request.kind = HandOver::Kind::ReadClipboard;
        break;
    case CommandLine::Action::Stop:
        request.kind = HandOver::Kind::Stop;
        break;
    default:
        request.kind = absoluteFile.isEmpty() ? HandOver::Kind::Show : HandOver::Kind::Open;
        request.file = absoluteFile;
        break;
    }
    return request;
}

QStringList encodeHandOver(const HandOver& request) {
    for (const KindName& entry : kKindNames) {
        if (entry.kind != request.kind)
            continue;
        QStringList arguments{QString::fromLatin1(entry.name)};
        if (request.kind == HandOver::Kind::Open)
            arguments << request.file;
        return arguments;
    }
    return {};
}

std::optional<HandOver> decodeHandOver(const QStringList& arguments, QString* why) {
    if (arguments.isEmpty())
        return refuse(why, QStringLiteral("no request"));
    if (arguments.size() > 2)
        return refuse(why, QStringLiteral("%1 arguments").arg(arguments.size()));
    for (const QString& argument : arguments)
        if (!fitsOnBus(argument))
            return refuse(
                why,
                QStringLiteral("an argument of %1 characters, over 64 KiB").arg(argument.size()));
    const KindName* found = nullptr;
    for (const KindName& entry : kKindNames) {
        if (arguments.constFirst() == QLatin1String(entry.name))
            found = &entry;
    }
    if (!found)
        return refuse(why, QStringLiteral("unknown request"));
    HandOver request;
    request.kind = found->kind;
    const int expected = request.kind == HandOver::Kind::Open ? 2 : 1;
    if (arguments.size() != expected)
        return refuse(
            why,
            QStringLiteral("%1 arguments where %2 belong").arg(arguments.size()).arg(expected));
    if (request.kind != HandOver::Kind::Open)
        return request;
    const QString& file = arguments.at(1);
    if (file.size() > kLongestPath || !QDir::isAbsolutePath(file) || file.contains(QChar(0)))
        return refuse(why, QStringLiteral("not an absolute file name"));
    request.file = QDir::cleanPath(file);
    return request;
}

bool fitsOnBus(const QString& text) {
    // A UTF-8 byte takes at least a third of a UTF-16 unit: only the doubtful ones are measured.
    if (text.size() > kLongestBusText)
        return false;
    return text.size() * 3 <= kLongestBusText || text.toUtf8().size() <= kLongestBusText;
}

QString elidedForNotice(const QString& text, qsizetype longest) {
    if (text.size() <= longest)
        return text;
    const QString gap = QStringLiteral("…");
    const qsizetype head = (longest - gap.size()) / 2;
    const qsizetype tail = longest - gap.size() - head;
    return text.left(head) + gap + text.right(tail);
}

std::optional<QString> fileOfUri(const QString& uri, QString* why) {
    if (!fitsOnBus(uri))
        return refuse(why, QStringLiteral("a URI of %1 characters, over 64 KiB").arg(uri.size()));
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || !url.isLocalFile())
        return refuse(why, QStringLiteral("%1 is not a local file").arg(elidedForNotice(uri)));
    const QString file = url.toLocalFile();
    if (file.size() > kLongestPath || file.contains(QChar(0)))
        return refuse(why, QStringLiteral("%1 is not a file name").arg(elidedForNotice(uri)));
    return QFileInfo(file).absoluteFilePath();
}

bool showsReader(const HandOver& request) {
    return request.kind == HandOver::Kind::Show || request.kind == HandOver::Kind::Open;
}

} // namespace orasent
