// Thumbnail making against a bare libjpeg decode of the same large photo, and the heap it
// takes. Prints "name: value unit" lines; needs no display.
//
//   thumb_vs_decode_ratio  median thumbnail time / median bare decode time (target <= 1.05)
//   thumb_peak_heap_mb     peak heap growth while making the thumbnail (target <= 8)

#include "bench_support.h"
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

} // namespace

int main() {
    QTemporaryDir dir;
    const QString path = dir.filePath("photo.jpg");
    if (!dir.isValid() || !volmarin::bench::writeTestPhoto(path, kWidth, kHeight)) {
        std::fprintf(stderr, "cannot write the test photo\n");
        return 1;
    }

    // Warm the file cache and the code once before timing.
    volmarin::bench::bareDecode(path);
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
        volmarin::bench::bareDecode(path);
        decodeTimes.push_back(timer.nsecsElapsed() / 1e6);
    }

    const long long before = liveBytes.load();
    peakBytes = before;
    { const QImage thumbnail = volmarin::makeThumbnail(path, 80, false); }
    const double peakMb = (peakBytes.load() - before) / (1024.0 * 1024.0);

    const double thumbMs = volmarin::bench::median(thumbTimes);
    const double decodeMs = volmarin::bench::median(decodeTimes);
    std::printf("thumb_time: %.1f ms\n", thumbMs);
    std::printf("bare_decode_time: %.1f ms\n", decodeMs);
    std::printf("thumb_vs_decode_ratio: %.3f ratio\n", thumbMs / decodeMs);
    std::printf("thumb_peak_heap_mb: %.2f MB\n", peakMb);
    return 0;
}
