// Thumbnail making against a bare libjpeg decode of the same large photo, and the heap it
// takes. Prints "name: value unit" lines; needs no display.
//
//   thumb_vs_decode_ratio  median thumbnail time / median bare decode time (target <= 1.05)
//   thumb_peak_heap_mb     peak heap growth while making the thumbnail (target <= 8)

#include "catalogue/image_decoder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <vector>

#include <jpeglib.h>

// Every malloc of this program is counted (libjpeg allocates with malloc), so the peak is
// exact rather than sampled.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);
}

namespace {

std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

void counted(long long change) {
    const long long now = liveBytes += change;
    long long peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}
void* added(void* p) {
    if (p)
        counted(static_cast<long long>(malloc_usable_size(p)));
    return p;
}

} // namespace

extern "C" {
void* malloc(std::size_t size) noexcept {
    return added(__libc_malloc(size));
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    return added(__libc_calloc(count, size));
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    return added(__libc_memalign(alignment, size));
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    return added(__libc_memalign(alignment, size));
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    void* p = added(__libc_memalign(alignment, size));
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}
void free(void* p) noexcept {
    if (p)
        counted(-static_cast<long long>(malloc_usable_size(p)));
    __libc_free(p);
}
void* realloc(void* p, std::size_t size) noexcept {
    const long long before = p ? static_cast<long long>(malloc_usable_size(p)) : 0;
    void* q = __libc_realloc(p, size);
    if (q)
        counted(static_cast<long long>(malloc_usable_size(q)) - before);
    else if (size == 0)
        counted(-before);
    return q;
}
}

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kRounds = 9;

// A photo-like picture: smooth gradients with some noise, baseline, quality 90.
bool writeTestPhoto(const QString& path) {
    std::FILE* file = std::fopen(QFile::encodeName(path), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t{3} * kWidth);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> noise(-12, 12);
    const auto clamp = [](int v) { return static_cast<JSAMPLE>(std::clamp(v, 0, 255)); };
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < kWidth; ++x) {
            row[3 * x] = clamp(x * 255 / kWidth + noise(random));
            row[3 * x + 1] = clamp(y * 255 / kHeight + noise(random));
            row[3 * x + 2] = clamp(((x / 40 + y / 40) % 2) * 120 + 60 + noise(random));
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

// The least any full-size decode must do: every scanline, same settings, one row buffer.
void bareDecode(const QString& path) {
    std::FILE* file = std::fopen(QFile::encodeName(path), "rb");
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = TRUE;
    jpeg_start_decompress(&cinfo);
    std::vector<JSAMPLE> row(std::size_t{cinfo.output_width} * cinfo.output_components);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.output_scanline < cinfo.output_height)
        jpeg_read_scanlines(&cinfo, rows, 1);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    if (!dir.isValid() || !writeTestPhoto(path)) {
        std::fprintf(stderr, "cannot write the test photo\n");
        return 1;
    }

    // Warm the file cache and the code once before timing.
    bareDecode(path);
    volmarin::makeThumbnail(path, 80, false);

    std::vector<double> thumbTimes, decodeTimes;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        const QImage thumbnail = volmarin::makeThumbnail(path, 80, false);
        thumbTimes.push_back(timer.nsecsElapsed() / 1e6);
        if (thumbnail.size() != QSize(80, 80))
            return 1;
        timer.start();
        bareDecode(path);
        decodeTimes.push_back(timer.nsecsElapsed() / 1e6);
    }

    const long long before = liveBytes.load();
    peakBytes = before;
    { const QImage thumbnail = volmarin::makeThumbnail(path, 80, false); }
    const double peakMb = (peakBytes.load() - before) / (1024.0 * 1024.0);

    const double thumbMs = median(thumbTimes);
    const double decodeMs = median(decodeTimes);
    std::printf("thumb_time: %.1f ms\n", thumbMs);
    std::printf("bare_decode_time: %.1f ms\n", decodeMs);
    std::printf("thumb_vs_decode_ratio: %.3f ratio\n", thumbMs / decodeMs);
    std::printf("thumb_peak_heap_mb: %.2f MB\n", peakMb);
    return 0;
}
