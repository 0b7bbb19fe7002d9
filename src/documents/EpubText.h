#pragma once
// EPUB 2 and 3 books read in memory: container.xml names the package, whose spine gives the
// chapters in reading order. Chapters the spine names but the archive lacks are left out
// (Extraction::skippedParts); when none is left the status is PartsMissing.
#include "documents/Extraction.h"

#include <QByteArray>

namespace orasent {

Extraction extractEpubParagraphs(const QByteArray& archive, const LoadProgress& progress = {});

} // namespace orasent
