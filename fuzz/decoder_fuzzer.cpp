// libFuzzer target for the picture readers and the fitting and stretching behind them.
//
// Input layout: one selector byte, then the file's bytes. The selector picks the reader
// (by the extension the file is given), the thumbnail size, slow reading and the screen
// size, so one corpus explores every path. `make fuzz` prefixes the seed files with a
// selector that matches their type.
//
// The readers must answer any input with a picture of the asked size or a DecodeError;
// anything else (a sanitizer report, another exception, a wrong size) is a crash. A JPEG
// that the every-row decode reads must also give the very same canvas when the rows that
// are not shown are skipped.

#include "catalogue/decode_error.h"
#include "catalogue/exif_orientation.h"
#include "catalogue/image_decoder.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

struct ScreenSize {
    int width, height;
};

// Sizes the program meets (thumbnail sizes from the size dialog's range, common screens)
// and the degenerate ones where rounding and clipping go wrong first.
constexpr std::array<int, 8> kThumbnailSizes = {1, 2, 3, 16, 57, 96, 128, 255};
constexpr std::array<ScreenSize, 8> kScreens = {
    {{1, 1}, {3, 2}, {2, 3}, {640, 480}, {480, 640}, {1024, 1}, {1, 1024}, {1366, 768}}};

// The input is written to a file in a private folder, one per fuzzing process, since the
// readers take paths (and choose by extension).
const std::string& workFolder() {
    static const std::string folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/volmarin-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        return pattern;
    }();
    return folder;
}

QString writeInput(const std::uint8_t* data, std::size_t size, const char* extension) {
    const std::string path = workFolder() + "/input." + extension;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return QString::fromStdString(path);
}

void expectSize(const QImage& image, int width, int height, const char* what) {
    if (image.width() != width || image.height() != height ||
        image.format() != QImage::Format_RGB888) {
        std::fprintf(stderr, "%s: got %d x %d (format %d), asked for %d x %d RGB888\n", what,
                     image.width(), image.height(), static_cast<int>(image.format()), width,
                     height);
        std::abort();
    }
}

// Reading stops after the last row shown, so the every-row decode may still fail further
// down; where it succeeds, the skipping decode must have drawn the same canvas.
void expectSameAsReadingAll(const QString& path, const volmarin::CanvasPlanner& planner,
                            const QImage& skipped, const char* what) {
    QImage reference;
    try {
        reference = volmarin::drawPicture(path, planner, volmarin::RowReading::ReadAll);
    } catch (const volmarin::DecodeError&) {
        return;
    }
    if (skipped != reference) {
        std::fprintf(stderr, "%s: %s\n", what,
                     skipped.isNull() ? "refused a file read by the every-row decode"
                                      : "drew another canvas than the every-row decode");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const unsigned selector = data[0];
    const char* extension = (selector & 1) ? "bmp" : "jpg";
    const bool slowRead = (selector & 2) != 0;
    const int n = kThumbnailSizes[(selector >> 2) & 7];
    const ScreenSize screen = kScreens[(selector >> 5) & 7];
    // The Exif parser reads whatever a file's APP1 segment holds; fed the raw input too, it
    // is explored without a JPEG around the block.
    const auto orientation = static_cast<int>(volmarin::orientationFromExif(data + 1, size - 1));
    if (orientation < 1 || orientation > 8) {
        std::fprintf(stderr, "orientationFromExif: %d is no Orientation value\n", orientation);
        std::abort();
    }
    const QString path = writeInput(data + 1, size - 1, extension);

    QImage thumbnail, canvas;
    try {
        thumbnail = volmarin::makeThumbnail(path, n, slowRead);
        expectSize(thumbnail, n, n, "makeThumbnail");
    } catch (const volmarin::DecodeError&) {
        // A clean refusal; the viewer must refuse the same file too, or draw it.
    }
    try {
        canvas = volmarin::composeOnScreen(path, screen.width, screen.height);
        expectSize(canvas, screen.width, screen.height, "composeOnScreen");
    } catch (const volmarin::DecodeError&) {
    }
    if (!(selector & 1)) {
        expectSameAsReadingAll(path, volmarin::thumbnailPlanner(n, slowRead), thumbnail,
                               "makeThumbnail");
        expectSameAsReadingAll(path, volmarin::screenPlanner(screen.width, screen.height), canvas,
                               "composeOnScreen");
    }
    return 0;
}
