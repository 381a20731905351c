// Thumbnail making against a bare libjpeg decode of the same large photo, and the heap it
// takes. Prints "name: value unit" lines; needs no display.
//
//   thumb_vs_decode_ratio  median thumbnail time / median bare decode time (target <= 1.05)
//   thumb_peak_heap_mb     peak heap growth while making the thumbnail (target <= 8)

#include "bench_support.h"
#include "catalogue/image_decoder.h"
#include "support/heap_counter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include <jpeglib.h>

// The heap is counted by replacing malloc (support/heap_counter), so the peak is exact.
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

    const double peakMb =
        volmarin::heap::peakGrowth([&] { volmarin::makeThumbnail(path, 80, false); }) /
        (1024.0 * 1024.0);

    const double thumbMs = volmarin::bench::median(thumbTimes);
    const double decodeMs = volmarin::bench::median(decodeTimes);
    std::printf("thumb_time: %.1f ms\n", thumbMs);
    std::printf("bare_decode_time: %.1f ms\n", decodeMs);
    std::printf("thumb_vs_decode_ratio: %.3f ratio\n", thumbMs / decodeMs);
    std::printf("thumb_peak_heap_mb: %.2f MB\n", peakMb);
    return 0;
}
