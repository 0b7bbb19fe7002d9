#pragma once
// "Speech.lst" and the list editor's text transforms.
#include <QString>
#include <functional>
#include <optional>

namespace orasent {

// LoadDat steps 1-3: every line + "|", then up to 9,999 trailing "|" removed; case kept. Missing
// file: "".
QString loadReplacementList(const QString& path);

// "Edit List" opening: every "|" becomes CR LF, and one CR LF is appended.
QString listToEditText(const QString& replacementList);

// Save: CR dropped, LF -> "|", every other character upper-cased, up to 9,999 trailing "|" removed.
// `letEventsRun` is called at each CR.
QString editTextToList(const QString& editText, const std::function<void()>& letEventsRun = {});

// Save: writes editText + CR LF atomically (encoding rule of common/TextCodec). False + *error on
// failure.
bool saveWordListFile(const QString& path, const QString& editText, QString* error);

// Sort List: stable ordinal sort of the upper-cased lines, empty lines dropped, each line + CR LF,
// original case. nullopt when the text holds 2000 or more line feeds (the caller shows "Could not
// sort the list. Only 2000 entries allowed"). A 2000th line without a line break is sorted
// normally.
std::optional<QString> sortEditText(const QString& editText);
extern const char* const kSortLimitMessage; // "Could not sort the list. Only 2000 entries allowed"

// "Test Last Word in List": at most 255 characters after the last "=" (or the first 255 characters
// if none).
QString lastWordToTest(const QString& editText);

} // namespace orasent
