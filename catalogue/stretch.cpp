#include "catalogue/stretch.h"

#include "catalogue/decode_error.h"

#include <algorithm>
#include <cstring>

namespace volmarin {

namespace {

// Source index for target index i of a run of targetLen pixels; with a stage the two
// stretches are applied in sequence, the second one first looked up.
int composedSource(int i, int targetLen, int stageLen, int sourceLen) {
    if (stageLen <= 0)
        return stretchSource(i, sourceLen, targetLen);
    return stretchSource(stretchSource(i, stageLen, targetLen), sourceLen, stageLen);
}

// Canvas indices [first, last) covered by a run starting at start with length len.
std::vector<int> sourceMap(int start, int len, int canvasLen, int stageLen, int sourceLen,
                           int& first) {
    const std::int64_t lo = std::max<std::int64_t>(0, start);
    const std::int64_t hi = std::min<std::int64_t>(canvasLen, std::int64_t{start} + len);
    first = static_cast<int>(lo);
    std::vector<int> map;
    if (hi <= lo)
        return map;
    map.reserve(static_cast<std::size_t>(hi - lo));
    for (std::int64_t c = lo; c < hi; ++c)
        map.push_back(composedSource(static_cast<int>(c - start), len, stageLen, sourceLen));
    return map;
}

std::string sizeText(std::int64_t w, std::int64_t h) {
    return std::to_string(w) + " × " + std::to_string(h);
}

} // namespace

RowSampler::RowSampler(CanvasPlanner planner, const std::atomic<bool>* cancel)
    : planner_(std::move(planner)), cancel_(cancel) {}

void RowSampler::checkCancelled() const {
    if (cancelled())
        throw DecodeCancelled("読み込みを取り消しました");
}

void RowSampler::begin(int pictureWidth, int pictureHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0)
        throw DecodeError("画像に画素がありません（" + sizeText(pictureWidth, pictureHeight) +
                          "）");
    if (pictureWidth > kMaxPictureSide || pictureHeight > kMaxPictureSide ||
        std::int64_t{pictureWidth} * pictureHeight > kMaxPicturePixels)
        throw DecodeError("画像が大きすぎて読み込めません（" +
                          sizeText(pictureWidth, pictureHeight) +
                          " ピクセル。1 辺 65535 ピクセル、全体で 2^30 ピクセルまでです）");
    pictureWidth_ = pictureWidth;
    pictureHeight_ = pictureHeight;

    const CanvasPlan plan = planner_(pictureWidth, pictureHeight);
    if (plan.canvasWidth <= 0 || plan.canvasHeight <= 0)
        throw DecodeError(sizeText(plan.canvasWidth, plan.canvasHeight) +
                          " ピクセルの画像は作れません");
    if (std::int64_t{plan.canvasWidth} * plan.canvasHeight * 3 > kMaxCanvasBytes)
        throw DecodeError(sizeText(plan.canvasWidth, plan.canvasHeight) +
                          " ピクセルの画像は作れません（256 MiB までです）");
    canvas_ = QImage(plan.canvasWidth, plan.canvasHeight, QImage::Format_RGB888);
    if (canvas_.isNull())
        throw DecodeError(sizeText(plan.canvasWidth, plan.canvasHeight) +
                          " ピクセルの画像を作るメモリが足りません");
    canvas_.fill(plan.background);

    const Placement& t = plan.target;
    colSource_.clear();
    rowSource_.clear();
    wantedRows_.clear();
    if (t.width <= 0 || t.height <= 0)
        return; // a rectangle without area draws nothing
    colSource_ =
        sourceMap(t.left, t.width, plan.canvasWidth, plan.stageWidth, pictureWidth, firstColumn_);
    rowSource_ =
        sourceMap(t.top, t.height, plan.canvasHeight, plan.stageHeight, pictureHeight, firstRow_);
    if (colSource_.empty() || rowSource_.empty()) {
        colSource_.clear();
        rowSource_.clear();
        return;
    }
    identityColumns_ = true;
    for (std::size_t i = 0; i < colSource_.size(); ++i)
        identityColumns_ = identityColumns_ && colSource_[i] == static_cast<int>(i);
    std::unique_copy(rowSource_.begin(), rowSource_.end(), std::back_inserter(wantedRows_));
}

bool RowSampler::wants(int y) const {
    return std::binary_search(wantedRows_.begin(), wantedRows_.end(), y);
}

void RowSampler::put(int y, const std::uint8_t* rgb) {
    const auto [lo, hi] = std::equal_range(rowSource_.begin(), rowSource_.end(), y);
    if (lo == hi)
        return;
    const qsizetype bytesPerLine = canvas_.bytesPerLine();
    uchar* first = canvas_.bits() + (firstRow_ + (lo - rowSource_.begin())) * bytesPerLine +
                   std::size_t{3} * firstColumn_;
    const std::size_t span = colSource_.size() * 3;
    if (identityColumns_) {
        std::memcpy(first, rgb, span);
    } else {
        uchar* out = first;
        for (const int column : colSource_) {
            const std::uint8_t* in = rgb + std::size_t{3} * column;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out += 3;
        }
    }
    // An enlarging stretch shows one picture row on several canvas rows.
    uchar* row = first;
    for (auto it = lo + 1; it != hi; ++it) {
        row += bytesPerLine;
        std::memcpy(row, first, span);
    }
}

} // namespace volmarin
