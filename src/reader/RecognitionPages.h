#pragma once
// Text recognition as the document loader's page reader: picture files and PDF pages without a
// text layer. The program registers it once at start.
#include "documents/DocumentLoader.h"

#include <QString>

namespace orasent {

void useRecognitionForPages();

// A picture file as a document. Read first in the language of preferredRecognitionLanguage();
// when its text is then identified as another language whose recognition data is installed, it
// is read again in that one. Status Failed with `error` set for a picture too large or damaged,
// and for one without text (with errorSpoken); a fallback to English is the load's notice.
DocumentLoad loadImageDocument(const QString& path, const LoadProgress& progress = {});

} // namespace orasent
