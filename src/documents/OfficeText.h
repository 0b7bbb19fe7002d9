#pragma once
// Word (.docx: word/document.xml) and OpenDocument text (.odt: content.xml), read from the archive
// in memory with QXmlStreamReader.
#include "documents/Extraction.h"

#include <QByteArray>

namespace orasent {

Extraction extractDocxParagraphs(const QByteArray& archive, const LoadProgress& progress = {});
Extraction extractOdtParagraphs(const QByteArray& archive, const LoadProgress& progress = {});

// The XML parts alone (document.xml, content.xml), for tests and fuzzing.
Extraction docxXmlParagraphs(const QByteArray& xml, const LoadProgress& progress = {});
Extraction odtXmlParagraphs(const QByteArray& xml, const LoadProgress& progress = {});

// A Word file encrypted with a password: an OLE compound file that holds an encrypted package.
bool isEncryptedOfficeFile(const QByteArray& data);

} // namespace orasent
