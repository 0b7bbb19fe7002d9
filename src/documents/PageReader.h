#pragma once
// Pictures and PDF pages without a text layer are read by text recognition, a library of its own
// that the program registers here at start. Without one, picture files are not taken for
// documents and pages without text are skipped.
#include "documents/DocumentLoader.h"
#include "documents/PdfText.h"

#include <QString>
#include <functional>

namespace orasent {

struct PageReader {
    // A picture file: by its content first, else by its name (a damaged picture is still one).
    std::function<bool(const QString& path)> isPicture;
    // A picture by its name alone (Open File's type test).
    std::function<bool(const QString& path)> hasPictureName;
    // Every page of a picture file as a document. Called from the loading thread.
    std::function<DocumentLoad(const QString& path, const LoadProgress& progress)> loadPicture;
    // Reads a PDF's pages without text; `language` is the PDF's own (BCP 47), may be empty.
    std::function<TextlessPageReader(const QString& language,
                                     const std::function<bool()>& cancelled)>
        textlessPages;
    // What was read before on such pages, in the language textlessPages would use.
    std::function<TextlessPageMemory(const QString& language)> textlessMemory;
};

// Thread-safe; an empty PageReader unregisters.
void setPageReader(const PageReader& reader);
PageReader pageReader();

} // namespace orasent
