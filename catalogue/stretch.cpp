#include "catalogue/stretch.h"

#include "catalogue/decode_error.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <numeric>

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

void RowSampler::begin(int storedWidth, int storedHeight, Orientation orientation) {
    if (storedWidth <= 0 || storedHeight <= 0)
        throw DecodeError("画像に画素がありません（" + sizeText(storedWidth, storedHeight) + "）");
    if (storedWidth > kMaxPictureSide || storedHeight > kMaxPictureSide ||
        std::int64_t{storedWidth} * storedHeight > kMaxPicturePixels)
        throw DecodeError("画像が大きすぎて読み込めません（" + sizeText(storedWidth, storedHeight) +
                          " ピクセル。1 辺 65535 ピクセル、全体で 2^30 ピクセルまでです）");
    linesAreColumns_ = swapsAxes(orientation);
    pictureWidth_ = linesAreColumns_ ? storedHeight : storedWidth;
    pictureHeight_ = linesAreColumns_ ? storedWidth : storedHeight;

    const CanvasPlan plan = planner_(pictureWidth_, pictureHeight_);
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
    pixelSource_.clear();
    lineRows_.clear();
    lineIndex_.clear();
    wantedRows_.clear();
    if (t.width <= 0 || t.height <= 0)
        return; // a rectangle without area draws nothing
    int firstColumn = 0, firstRow = 0;
    std::vector<int> columns =
        sourceMap(t.left, t.width, plan.canvasWidth, plan.stageWidth, pictureWidth_, firstColumn);
    std::vector<int> rows =
        sourceMap(t.top, t.height, plan.canvasHeight, plan.stageHeight, pictureHeight_, firstRow);
    if (columns.empty() || rows.empty())
        return;

    // The upright picture's rows, or its columns under a swap, are the stored rows.
    std::vector<int> lines = std::move(linesAreColumns_ ? columns : rows);
    pixelSource_ = std::move(linesAreColumns_ ? rows : columns);
    if (reversesRows(orientation))
        for (int& y : lines)
            y = storedHeight - 1 - y;
    if (reversesColumns(orientation))
        for (int& x : pixelSource_)
            x = storedWidth - 1 - x;

    const qsizetype bytesPerLine = canvas_.bytesPerLine();
    spanStart_ = canvas_.bits() + firstRow * bytesPerLine + qsizetype{3} * firstColumn;
    lineStep_ = linesAreColumns_ ? 3 : bytesPerLine;
    pixelStep_ = linesAreColumns_ ? bytesPerLine : 3;
    lineIndex_.resize(lines.size());
    std::iota(lineIndex_.begin(), lineIndex_.end(), 0);
    std::stable_sort(lineIndex_.begin(), lineIndex_.end(),
                     [&](int a, int b) { return lines[a] < lines[b]; });
    lineRows_.reserve(lines.size());
    for (const int line : lineIndex_)
        lineRows_.push_back(lines[line]);
    std::unique_copy(lineRows_.begin(), lineRows_.end(), std::back_inserter(wantedRows_));
    identityColumns_ = !linesAreColumns_;
    for (std::size_t i = 0; identityColumns_ && i < pixelSource_.size(); ++i)
        identityColumns_ = pixelSource_[i] == static_cast<int>(i);
}

bool RowSampler::wants(int y) const {
    return std::binary_search(wantedRows_.begin(), wantedRows_.end(), y);
}

void RowSampler::put(int y, const std::uint8_t* rgb) {
    const auto [lo, hi] = std::equal_range(lineRows_.begin(), lineRows_.end(), y);
    for (auto it = lo; it != hi; ++it) {
        uchar* out = spanStart_ + lineIndex_[it - lineRows_.begin()] * lineStep_;
        if (identityColumns_) {
            std::memcpy(out, rgb, pixelSource_.size() * 3);
            continue;
        }
        for (const int column : pixelSource_) {
            const std::uint8_t* in = rgb + std::size_t{3} * column;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out += pixelStep_;
        }
    }
}

} // namespace volmarin
