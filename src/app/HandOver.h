#pragma once
// What a second start of the program asks of the running one, as it travels over the session
// bus: a list of strings, the request's name first.
#include "app/CommandLine.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <optional>

namespace orasent {

struct HandOver {
    enum class Kind { Show, Open, ReadSelection, ReadClipboard, Stop };
    Kind kind = Kind::Show;
    QString file; // Open: an absolute path
};

// The request a command line makes; `absoluteFile` is its file resolved in the folder the
// command was started in.
HandOver handOverFor(const CommandLine& line, const QString& absoluteFile);

QStringList encodeHandOver(const HandOver& request);

// Nothing when `arguments` are not a request this program sends; `why` then says what was wrong
// (for the log).
std::optional<HandOver> decodeHandOver(const QStringList& arguments, QString* why = nullptr);

// The longest text a caller on the session bus may hand over (a URI, a request's string), in
// UTF-8 bytes: anything longer is refused before it is looked at.
constexpr qsizetype kLongestBusText = 64 * 1024;
bool fitsOnBus(const QString& text);
// `text` as a notice shows or says it: at most `longest` characters, its middle left out.
QString elidedForNotice(const QString& text, qsizetype longest = 200);
// The local file a media player's OpenUri names (absolute); nothing when the URI is too long,
// not a URI or not of a local file, and `why` then says what was wrong (for the log).
std::optional<QString> fileOfUri(const QString& uri, QString* why = nullptr);

// Requests that need the reader window shown.
bool showsReader(const HandOver& request);

} // namespace orasent

Q_DECLARE_METATYPE(orasent::HandOver)
