// The export command line's parser: arguments are the input's lines. A parse either fails with a
// message or gives a complete request whose values lie in their ranges; captions always sit
// beside the audio file.
#include "export/AudioExport.h"
#include "export/ExportArguments.h"
#include "export/ExportText.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

using namespace orasent;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList args = text.split(QLatin1Char('\n'));
    const ParsedExportArguments parsed = parseExportArguments(args);
    if (!parsed.ok) {
        if (parsed.error.isEmpty())
            std::abort();
        return 0;
    }
    const ExportArguments& a = parsed.arguments;
    if (a.listVoices == !a.input.isEmpty() || (!a.listVoices && a.output.isEmpty()))
        std::abort();
    if ((a.rate && (*a.rate < -10 || *a.rate > 10)) ||
        (a.volume && (*a.volume < 0 || *a.volume > 100)) || a.fromSentence < 1)
        std::abort();
    if (a.captions != CaptionFormat::None) {
        const QString captions = captionPathFor(a.output, a.captions);
        if (!captions.endsWith(captionFormatName(a.captions)))
            std::abort();
        // Audio and captions under one name would lose one of them: the export refuses it.
        ExportRequest request;
        request.text = QStringLiteral("x");
        request.outputPath = a.output;
        request.captions = a.captions;
        if (captions == a.output && AudioExport::checkRequest(request).isEmpty())
            std::abort();
    }
    // The sentence cut of the arguments' own text stays inside it and covers it in order.
    qsizetype at = -1;
    for (const SentenceSpan& s : cutExportSentences(text, a.fromSentence)) {
        if (s.start <= at || s.length <= 0 || s.start + s.length > text.size())
            std::abort();
        at = s.start;
    }
    return 0;
}
