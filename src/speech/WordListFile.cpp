#include "speech/WordListFile.h"

namespace orasent {

const char* const kSortLimitMessage = "Could not sort the list. Only 2000 entries allowed";

QString loadReplacementList(const QString&) { return {}; }
QString listToEditText(const QString&) { return {}; }
QString editTextToList(const QString&, const std::function<void()>&) { return {}; }
bool saveWordListFile(const QString&, const QString&, QString*) { return false; }
std::optional<QString> sortEditText(const QString&) { return std::nullopt; }
QString lastWordToTest(const QString&) { return {}; }

}  // namespace orasent
