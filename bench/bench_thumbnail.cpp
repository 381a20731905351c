// Thumbnail making against a bare libjpeg decode of the same large photo, and the heap it
// takes. Prints "name: value unit" lines, the ratios followed by the times they are made
// of; needs no display.
//
//   thumb_vs_decode_ratio              median thumbnail time / median bare decode time of
//                                      a 6000 x 4000 baseline photo (target <= 0.75)
//   thumb_progressive_vs_decode_ratio  the same for a progressive photo (target <= 1.0)
//   thumb_peak_heap_mb                 peak heap growth while making the baseline
//                                      thumbnail (target <= 8)
//   thumb_exif6_vs_decode_ratio        the same ratio for the baseline photo stored as a
//                                      phone stores a portrait one: Orientation 6, so the
//                                      thumbnail samples source rows for its columns
//                                      (target <= 0.80)
//   thumb_exif6_peak_heap_mb           peak heap growth while making that thumbnail
//                                      (target <= 8)

#include "bench_support.h"
#include "catalogue/image_decoder.h"
#include "support/heap_counter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

// The heap is counted by replacing malloc (support/heap_counter), so the peak is exact.
namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kRounds = 15; // medians of many rounds: the machine may be shared

struct Timing {
    double thumbMs;
    double decodeMs;
};

// Thumbnails and bare decodes alternated, so that both meet the same load of the machine.
bool timeAgainstBareDecode(const QString& path, Timing& timing) {
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
            return false;
        timer.start();
        volmarin::bench::bareDecode(path);
        decodeTimes.push_back(timer.nsecsElapsed() / 1e6);
    }
    timing = {volmarin::bench::median(thumbTimes), volmarin::bench::median(decodeTimes)};
    return true;
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString baseline = dir.filePath("photo.jpg");
    const QString progressive = dir.filePath("progressive.jpg");
    const QString sideways = dir.filePath("sideways.jpg");
    if (!dir.isValid() || !volmarin::bench::writeTestPhoto(baseline, kWidth, kHeight) ||
        !volmarin::bench::writeTestPhoto(progressive, kWidth, kHeight, true) ||
        !volmarin::bench::writeTestPhoto(sideways, kWidth, kHeight, false, 6)) {
        std::fprintf(stderr, "cannot write the test photos\n");
        return 1;
    }

    Timing plain{}, stepped{}, turned{};
    if (!timeAgainstBareDecode(baseline, plain) || !timeAgainstBareDecode(progressive, stepped) ||
        !timeAgainstBareDecode(sideways, turned)) {
        std::fprintf(stderr, "a thumbnail came out in the wrong size\n");
        return 1;
    }
    const auto peakMb = [](const QString& path) {
        return volmarin::heap::peakGrowth([&] { volmarin::makeThumbnail(path, 80, false); }) /
               (1024.0 * 1024.0);
    };

    std::printf("thumb_time: %.1f ms\n", plain.thumbMs);
    std::printf("bare_decode_time: %.1f ms\n", plain.decodeMs);
    std::printf("thumb_vs_decode_ratio: %.3f ratio (thumbnail %.1f ms / bare decode %.1f ms)\n",
                plain.thumbMs / plain.decodeMs, plain.thumbMs, plain.decodeMs);
    std::printf("thumb_progressive_vs_decode_ratio: %.3f ratio (thumbnail %.1f ms / bare decode "
                "%.1f ms)\n",
                stepped.thumbMs / stepped.decodeMs, stepped.thumbMs, stepped.decodeMs);
    std::printf("thumb_peak_heap_mb: %.2f MB\n", peakMb(baseline));
    std::printf("thumb_exif6_vs_decode_ratio: %.3f ratio (thumbnail %.1f ms / bare decode %.1f "
                "ms)\n",
                turned.thumbMs / turned.decodeMs, turned.thumbMs, turned.decodeMs);
    std::printf("thumb_exif6_peak_heap_mb: %.2f MB\n", peakMb(sideways));
    return 0;
}
