#pragma once
// A saved web page read as a reader view reads it: the page's main part, found through its
// semantic elements and ARIA roles first, then through text length and link density, without
// navigation, banners, footers, sidebars, cookie notices and link lists. A page without a clear
// main part is read whole, still without that chrome.
#include <QString>
#include <string_view>
#include <unordered_set>

#include <gumbo.h>

namespace orasent {

using DroppedNodes = std::unordered_set<const GumboNode*>;

// The nodes of the parsed page not to read.
DroppedNodes readerViewDrops(const GumboNode* document);

// An element's lower-case tag name; unknown tags by their name as written.
const char* elementName(const GumboNode* node);
QString attributeOf(const GumboElement& element, std::string_view name);

} // namespace orasent
