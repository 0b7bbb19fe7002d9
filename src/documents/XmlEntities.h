#pragma once
// General entities an XML document declares in its DOCTYPE (older e-books declare their own
// letters and words: <!ENTITY O "&#x4F;">), expanded before the document is read. Expansion is
// bounded in depth and in size, so a "billion laughs" document is refused; external entities
// are never fetched and read as nothing.
#include <QByteArray>

namespace orasent {

namespace limits {
constexpr int kMaxEntityDepth = 16;                      // entities inside entities
constexpr qsizetype kMaxEntityChars = 64 * 1024;         // one entity expanded, in bytes
constexpr qsizetype kMaxEntityGrowth = 16 * 1024 * 1024; // bytes added to a document in all
} // namespace limits

enum class EntityExpansion {
    None,     // nothing declared: read the bytes as they are
    Expanded, // *expanded holds the document without its declarations, references replaced
    Refused,  // past the limits
};

EntityExpansion expandDeclaredEntities(const QByteArray& bytes, QByteArray* expanded);

} // namespace orasent
