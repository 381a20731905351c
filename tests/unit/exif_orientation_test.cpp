// The Exif Orientation tag turns a photo only when it is read whole and well-formed: files
// come from anywhere, and a damaged block must neither crash nor turn a picture.

#include "catalogue/exif_orientation.h"
#include "support/jpeg_writer.h"

#include <gtest/gtest.h>

namespace volmarin {
namespace {

QByteArray patched(QByteArray block, int at, const QByteArray& bytes) {
    return block.replace(at, bytes.size(), bytes);
}

TEST(ExifOrientationTest, OnlyAWholeWellFormedTagTurns) {
    // Offsets in the little-endian block: TIFF header at 6, IFD0 offset at 10, entry count
    // at 14, the entry's tag at 16, type at 18, count at 20, value at 24.
    const QByteArray six = test::exifOrientationSegment(6);
    const struct {
        const char* what;
        QByteArray block;
        Orientation expected;
    } cases[] = {
        {"little-endian 6", six, Orientation::TurnedClockwise},
        {"big-endian 8", test::exifOrientationSegment(8, true),
         Orientation::TurnedCounterClockwise},
        {"big-endian 3", test::exifOrientationSegment(3, true), Orientation::UpsideDown},
        {"no link to a next IFD", six.left(28), Orientation::TurnedClockwise},
        {"value 0", test::exifOrientationSegment(0), Orientation::Upright},
        {"value 9", test::exifOrientationSegment(9, true), Orientation::Upright},
        {"value 262", patched(six, 25, "\x01"), Orientation::Upright},
        {"type LONG", patched(six, 18, "\x04"), Orientation::Upright},
        {"count 2", patched(six, 20, "\x02"), Orientation::Upright},
        {"another tag", patched(six, 16, "\x13"), Orientation::Upright},
        {"IFD0 far past the end", patched(six, 10, "\xff\xff\xff\xff"), Orientation::Upright},
        {"more entries than the block holds", patched(six, 14, "\x02"), Orientation::Upright},
        {"cut inside the entry", six.left(27), Orientation::Upright},
        {"cut inside the TIFF header", six.left(12), Orientation::Upright},
        {"unknown byte order", patched(six, 6, "IM"), Orientation::Upright},
        {"not 42", patched(six, 8, "\x2b"), Orientation::Upright},
        {"not an Exif block", patched(six, 0, "Exit"), Orientation::Upright},
        {"empty", QByteArray(), Orientation::Upright},
    };
    for (const auto& c : cases)
        EXPECT_EQ(orientationFromExif(reinterpret_cast<const std::uint8_t*>(c.block.constData()),
                                      static_cast<std::size_t>(c.block.size())),
                  c.expected)
            << c.what;
}

} // namespace
} // namespace volmarin
