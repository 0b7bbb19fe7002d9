#pragma once
// Where the reader window's controls go, worked out in twips (1/1440 inch) from the screen size.
// No widgets here: the window converts the result to pixels.
#include "common/Twips.h"

#include <array>

namespace orasent {

struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct ReaderLayout {
    double buttonHeight = 0;          // a button row: the screen height / 11, not rounded
    TwipRect window;                  // covers the screen
    std::array<TwipRect, 12> command; // command[1] .. command[11]; [0] unused
    TwipRect text1;                   // sentence box; its width is the Command1 left edge - 100
    TwipRect text2;                   // path box
};

// Designed sizes of the reader window's controls, in twips.
constexpr double kNarrowButtonWidth = 2055; // Command1 .. Command6
constexpr double kWideButtonWidth = 4335;   // Command7 .. Command11
constexpr double kPathBoxHeight = 615;      // Text2

ReaderLayout computeReaderLayout(double screenWidthTwips, double screenHeightTwips);

} // namespace orasent
