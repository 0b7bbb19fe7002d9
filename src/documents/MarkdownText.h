#pragma once
// Markdown through cmark's syntax tree: paragraphs, headings, list items and code blocks become
// paragraphs; image descriptions are read; HTML blocks are read as HTML (their text, without
// scripts or comments) and inline HTML tags are dropped with the text between them kept.
#include "documents/Extraction.h"

#include <QByteArray>

namespace orasent {

// Bytes as UTF-8, or Windows-1252 when they are not valid UTF-8.
Extraction extractMarkdownParagraphs(const QByteArray& bytes, const LoadProgress& progress = {});

} // namespace orasent
