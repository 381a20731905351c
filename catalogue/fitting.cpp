#include "catalogue/fitting.h"

namespace volmarin {

int scaledLength(int numerator, int denominator, int factor) {
    if (denominator <= 0)
        return 0;
    // long double is the x87 80-bit format on x86-64: every operation rounds to a 64-bit
    // significand, which is what the lengths were always computed with.
    const long double quotient = static_cast<long double>(numerator) / denominator;
    const long double product = quotient * factor;
    return static_cast<int>(product); // conversion truncates toward zero
}

Placement fitThumbnail(int pw, int ph, int n) {
    if (pw <= n && ph <= n)
        return {(n - pw) / 2, (n - ph) / 2, pw, ph};
    int width = n;
    int height = n;
    if (pw > ph)
        height = scaledLength(ph, pw, n);
    else
        width = scaledLength(pw, ph, n);
    return {(n - width) / 2, (n - height) / 2, width, height};
}

Placement fitToScreen(int pw, int ph, int sw, int sh) {
    if (pw <= sw && ph <= sh)
        return {(sw - pw) / 2, (sh - ph) / 2, pw, ph};
    int width = 0;
    int height = 0;
    if (pw > ph) {
        width = sw;
        height = scaledLength(sw, pw, ph);
        if (sh < height) {
            height = sh;
            width = scaledLength(sh, ph, pw);
        }
    } else {
        // A tall picture is fitted to the height alone, so on a portrait screen it may end
        // up wider than the screen and be cut at both sides.
        height = sh;
        width = scaledLength(sh, ph, pw);
    }
    return {(sw - width) / 2, (sh - height) / 2, width, height};
}

} // namespace volmarin
