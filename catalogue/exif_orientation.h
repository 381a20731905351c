#pragma once

#include <cstddef>
#include <cstdint>

namespace volmarin {

// How a photo's stored pixels are turned to show it upright, by the values of the Exif
// Orientation tag. Phones and cameras store a portrait photo as landscape pixels plus this
// tag, and every photo viewer honours it; ordering photos by eye needs them upright.
enum class Orientation {
    Upright = 1,
    MirroredLeftRight = 2,
    UpsideDown = 3,
    MirroredTopBottom = 4,
    Transposed = 5, // mirrored about the diagonal from the top-left corner
    TurnedClockwise = 6,
    Transversed = 7, // mirrored about the diagonal from the top-right corner
    TurnedCounterClockwise = 8,
};

// True when the payload of an APP1 segment is an Exif block ("Exif\0\0", then TIFF data).
bool isExifBlock(const std::uint8_t* payload, std::size_t size);

// The Orientation tag of IFD0 in an Exif block, in either TIFF byte order. A file comes
// from anywhere, so everything is checked against the block's end: a block that is cut
// short or points outside itself, a tag that is not one SHORT, a value outside 1 to 8, or
// no tag at all leave the picture as stored (Upright).
Orientation orientationFromExif(const std::uint8_t* payload, std::size_t size);

// Where the upright picture's pixels are stored. With swapsAxes, upright column x is
// stored row x (counted from the end with reversesRows) and upright row y is stored column
// y (from the end with reversesColumns); without it, upright rows are stored rows and
// upright columns stored columns, each reversed as said.
bool swapsAxes(Orientation orientation);
bool reversesRows(Orientation orientation);
bool reversesColumns(Orientation orientation);

} // namespace volmarin
