#pragma once

namespace volmarin {

// Where a picture lands inside a box. The rectangle may reach outside the box (a portrait
// screen can be narrower than the fitted picture); drawing clips it.
struct Placement {
    int left, top, width, height;
};

// Fits a pw x ph picture into an n x n thumbnail square. Pictures no larger than the
// square keep their size; larger ones keep their proportions with the long side set to n.
Placement fitThumbnail(int pw, int ph, int n);

// Fits a pw x ph picture onto an sw x sh screen. Pictures that fit are never enlarged; a
// landscape picture is fitted to the width and then, if still too tall, to the height; a
// portrait or square one is fitted to the height only.
Placement fitToScreen(int pw, int ph, int sw, int sh);

// trunc(numerator / denominator * factor) in extended precision, the quotient first. The
// fitting rules depend on this exact order: 1024 / 2000 * 500 lands just below 256.
int scaledLength(int numerator, int denominator, int factor);

} // namespace volmarin
