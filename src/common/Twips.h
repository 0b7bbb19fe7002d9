#pragma once
// Twips, the unit of every designed position and size: 1440 to the inch, so 15 twips a pixel at
// 96 dots per inch.
#include <cmath>

namespace orasent {

constexpr double kTwipsPerInch = 1440;

inline int twipsToPixels(double twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

inline double pixelsToTwips(double pixels, double dotsPerInch) {
    return pixels * kTwipsPerInch / dotsPerInch;
}

} // namespace orasent
