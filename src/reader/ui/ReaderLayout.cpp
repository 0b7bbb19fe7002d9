#include "reader/ui/ReaderLayout.h"

namespace orasent {

namespace {
constexpr double kGap = 200; // between buttons and rows, and from the right screen edge

double designedWidth(int command) {
    return command <= 6 ? kNarrowButtonWidth : kWideButtonWidth;
}
} // namespace

ReaderLayout computeReaderLayout(double screenWidth, double screenHeight) {
    ReaderLayout layout;
    const double h = screenHeight / 11;
    layout.buttonHeight = h;
    layout.window = {0, 0, screenWidth, screenHeight};

    for (int i = 1; i <= 11; ++i) {
        layout.command[i].width = designedWidth(i);
        layout.command[i].height = h;
    }

    // Rows 0..2 hold the button pairs 1/2, 3/4, 5/6; rows 3..7 one wide button each.
    auto rowTop = [h](int row) { return row * (h + kGap); };
    for (int pair = 0; pair < 3; ++pair) {
        TwipRect& leftButton = layout.command[2 * pair + 1];
        TwipRect& rightButton = layout.command[2 * pair + 2];
        leftButton.top = rowTop(pair);
        rightButton.top = rowTop(pair);
        leftButton.left = screenWidth - leftButton.width - rightButton.width - 2 * kGap;
        rightButton.left = screenWidth - rightButton.width - kGap;
    }
    for (int i = 7; i <= 11; ++i) {
        layout.command[i].top = rowTop(i - 4);
        layout.command[i].left = layout.command[1].left;
    }

    layout.text2.height = kPathBoxHeight;
    layout.text1 = {0, 0, layout.command[1].left - 100, screenHeight - kPathBoxHeight - 1200};
    layout.text2.left = 0;
    layout.text2.top = layout.text1.height + 100;
    layout.text2.width = screenWidth - layout.command[10].width - 2 * kGap;
    return layout;
}

} // namespace orasent
