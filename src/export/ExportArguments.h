#pragma once
// The export command line: orasent --export IN OUT [--format F] [--quality Q] [--split-chapters]
// [--captions C] [--voice NAME] [--rate R] [--volume V] [--from-sentence N], or orasent
// --list-voices. Values may follow as
// the next argument or after "=".
#include "export/ExportFormats.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace orasent {

struct ExportArguments {
    bool listVoices = false;
    QString input;
    QString output;
    std::optional<AudioFileFormat> format;
    ExportQuality quality = ExportQuality::Standard;
    bool splitChapters = false;
    CaptionFormat captions = CaptionFormat::None;
    QString voice;
    std::optional<int> rate;   // -10 .. 10
    std::optional<int> volume; // 0 .. 100
    int fromSentence = 1;
};

struct ParsedExportArguments {
    bool ok = false;
    QString error; // one line, for a usage error
    ExportArguments arguments;
};

// `arguments` without the program's name.
ParsedExportArguments parseExportArguments(const QStringList& arguments);

extern const char* const kExportUsage;

// Every option this parser knows; any other is refused.
const QStringList& exportOptionNames();

} // namespace orasent
