#pragma once

#include "catalogue/exif_orientation.h"
#include "catalogue/fitting.h"

#include <QImage>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace volmarin {

// The one stretching rule of the program, for thumbnails, the slow-read reduction and the
// viewer alike: nearest neighbour, no smoothing. Target index i of a run of dstLen pixels
// takes source index floor(i * srcLen / dstLen), computed in 64-bit integers so that no
// product of two lengths can overflow. dstLen must be positive.
inline int stretchSource(int i, int srcLen, int dstLen) {
    return static_cast<int>(static_cast<std::int64_t>(i) * srcLen / dstLen);
}

// Pictures are refused, before anything is allocated for them, when a side is longer than
// the longest a JPEG can have or when they hold more than 2^30 pixels: decoding a
// gigapixel takes many seconds and no camera makes one, while a damaged header claims such
// sizes easily. A canvas (a thumbnail, the viewer's screen, a whole decoded picture) may
// take at most 2^28 bytes (256 MiB); larger whole decodes are refused the same way.
inline constexpr int kMaxPictureSide = 65535;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 30;
inline constexpr std::int64_t kMaxCanvasBytes = std::int64_t{1} << 28;

// How a picture of a known size is drawn: the canvas to make, its background and the
// rectangle the picture is stretched into. A two-step stretch (the slow-read reduction)
// first stretches the picture to stageWidth x stageHeight and stretches that into the
// rectangle; the two index maps are composed, so no intermediate picture is ever made.
struct CanvasPlan {
    int canvasWidth = 0;
    int canvasHeight = 0;
    QRgb background = 0xff000000;
    Placement target{0, 0, 0, 0};
    int stageWidth = 0; // 0: stretched directly
    int stageHeight = 0;
};
using CanvasPlanner = std::function<CanvasPlan(int pictureWidth, int pictureHeight)>;

// Receives a picture row by row, in any order, and keeps only the rows and columns that
// the stretch samples, drawing them straight onto the canvas. The result is pixel for
// pixel what stretching the whole decoded picture would give, while the decoder needs no
// more than one row of its own. A picture stored turned or mirrored (Exif Orientation) is
// drawn upright: the planner sees the upright size, and under a quarter turn each stored
// row the stretch samples fills canvas columns instead of canvas rows, so the rows that
// are not shown are still never decoded.
class RowSampler {
public:
    // The readers watch cancel, when given, between rows and give up with DecodeCancelled
    // once it is raised.
    explicit RowSampler(CanvasPlanner planner, const std::atomic<bool>* cancel = nullptr);

    bool cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }
    // Throws DecodeCancelled when the cancel flag is raised.
    void checkCancelled() const;

    // Told the stored picture's size, and how it is turned, before any row; checks the size
    // limits, makes the canvas. Throws DecodeError with the reason when the picture or its
    // canvas is refused.
    void begin(int storedWidth, int storedHeight, Orientation orientation = Orientation::Upright);

    // True when some canvas pixel shows stored row y; other rows need not be converted.
    bool wants(int y) const;
    // The stored rows that are shown, ascending and distinct.
    const std::vector<int>& wantedRows() const { return wantedRows_; }
    // Stored row y as storedWidth packed R, G, B bytes.
    void put(int y, const std::uint8_t* rgb);

    // The upright picture's size.
    int pictureWidth() const { return pictureWidth_; }
    int pictureHeight() const { return pictureHeight_; }
    QImage takeCanvas() { return std::move(canvas_); }

private:
    CanvasPlanner planner_;
    const std::atomic<bool>* cancel_;
    QImage canvas_;
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    // A stored row lands on canvas lines: rows, or columns when the axes are swapped. Along
    // each line, the pixels of the covered span take the stored columns of pixelSource_.
    bool linesAreColumns_ = false;
    uchar* spanStart_ = nullptr; // canvas byte of the first covered line's first pixel
    qsizetype lineStep_ = 0;     // bytes from one canvas line to the next
    qsizetype pixelStep_ = 0;    // bytes from one pixel of a line to the next
    bool identityColumns_ = false;
    std::vector<int> pixelSource_;
    std::vector<int> lineRows_;  // the stored row of each covered line, sorted ascending
    std::vector<int> lineIndex_; // which covered line, in the order of lineRows_
    std::vector<int> wantedRows_;
};

} // namespace volmarin
