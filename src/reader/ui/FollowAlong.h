#pragma once
// Follow-along reading: the band behind the word being heard in the sentence box. Its settings
// live here in one place; the colour is checked against the window's text colour.
#include <QColor>
#include <QString>

#include <optional>
#include <utility>

class QPalette;

namespace orasent {

struct FollowAlongSettings {
    bool enabled = true;   // off: no band at all
    QColor band;           // the word's band; invalid: the default for the window's colours
    bool word = true;      // a band behind the word being heard
    bool sentence = false; // a lighter band behind the whole sentence being heard
    QColor sentenceBand;   // invalid: the word's band halfway to the background
};

// The sentence band when none is chosen: the word band mixed half and half with the background.
QColor lighterBand(const QColor& wordBand, const QColor& background);

// WCAG contrast ratio of two colours, 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// A band colour with a contrast of at least 4.5:1 against the palette's text colour, or as near
// as black or white get.
QColor defaultBandColour(const QPalette& palette);

// Where [start, start + length) of a handed-over text stands in a box that shows it (a CR LF
// shown as one line end); nothing when the span lies outside the text.
std::optional<std::pair<int, int>> shownSpanOf(const QString& handedOver, int start, int length);

// Where [start, start + length) of the handed-over text stands in the box, given what the box
// shows now; nothing when the box does not show that text.
std::optional<std::pair<int, int>> shownSpan(const QString& handedOver, int start, int length,
                                             const QString& shown);

} // namespace orasent
