#include "documents/PdfText.h"

namespace orasent {

PdfExtraction extractPdfParagraphs(const QByteArray&, const LoadProgress&,
                                   const TextlessPageReader&) {
    return {};
}

} // namespace orasent
