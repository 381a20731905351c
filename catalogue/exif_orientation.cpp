#include "catalogue/exif_orientation.h"

#include <cstring>

namespace volmarin {

namespace {

constexpr std::size_t kExifHeader = 6; // "Exif\0\0"
constexpr std::size_t kTiffHeader = 8; // byte order, 42, offset of IFD0
constexpr std::size_t kIfdEntry = 12;  // tag, type, count, value
constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kShortType = 3;

// Reads the TIFF block in its own byte order; every offset is checked by the caller.
struct TiffBlock {
    const std::uint8_t* data;
    std::size_t size;
    bool bigEndian;

    unsigned u16(std::size_t at) const {
        return bigEndian ? (data[at] << 8) | data[at + 1] : data[at] | (data[at + 1] << 8);
    }
    std::uint32_t u32(std::size_t at) const {
        const std::uint32_t first = u16(at), second = u16(at + 2);
        return bigEndian ? (first << 16) | second : first | (second << 16);
    }
};

} // namespace

bool isExifBlock(const std::uint8_t* payload, std::size_t size) {
    return size >= kExifHeader && std::memcmp(payload, "Exif\0\0", kExifHeader) == 0;
}

Orientation orientationFromExif(const std::uint8_t* payload, std::size_t size) {
    if (!isExifBlock(payload, size) || size - kExifHeader < kTiffHeader)
        return Orientation::Upright;
    TiffBlock tiff{payload + kExifHeader, size - kExifHeader, false};
    if (std::memcmp(tiff.data, "MM", 2) == 0)
        tiff.bigEndian = true;
    else if (std::memcmp(tiff.data, "II", 2) != 0)
        return Orientation::Upright;
    if (tiff.u16(2) != 42)
        return Orientation::Upright;
    // Sizes are compared by subtraction, so a huge offset cannot wrap around.
    const std::uint32_t ifd = tiff.u32(4);
    if (ifd < kTiffHeader || ifd > tiff.size || tiff.size - ifd < 2)
        return Orientation::Upright;
    const unsigned entries = tiff.u16(ifd);
    if ((tiff.size - ifd - 2) / kIfdEntry < entries)
        return Orientation::Upright;
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + i * kIfdEntry;
        if (tiff.u16(entry) != kOrientationTag)
            continue;
        // One SHORT sits in the first two bytes of the value field, in either byte order.
        const unsigned value = tiff.u16(entry + 8);
        if (tiff.u16(entry + 2) != kShortType || tiff.u32(entry + 4) != 1 || value < 1 || value > 8)
            return Orientation::Upright;
        return static_cast<Orientation>(value);
    }
    return Orientation::Upright;
}

bool swapsAxes(Orientation orientation) {
    return static_cast<int>(orientation) >= 5;
}

bool reversesRows(Orientation orientation) {
    switch (orientation) {
    case Orientation::UpsideDown:
    case Orientation::MirroredTopBottom:
    case Orientation::TurnedClockwise:
    case Orientation::Transversed:
        return true;
    default:
        return false;
    }
}

bool reversesColumns(Orientation orientation) {
    switch (orientation) {
    case Orientation::MirroredLeftRight:
    case Orientation::UpsideDown:
    case Orientation::Transversed:
    case Orientation::TurnedCounterClockwise:
        return true;
    default:
        return false;
    }
}

} // namespace volmarin
