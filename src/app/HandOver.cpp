#include "app/HandOver.h"

#include <QDir>

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

std::optional<HandOver> refuse(QString* why, const QString& reason) {
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

bool showsReader(const HandOver& request) {
    return request.kind == HandOver::Kind::Show || request.kind == HandOver::Kind::Open;
}

} // namespace orasent
