// Abandoned decodes: a raised cancel flag ends a large decode within a moment, wherever it
// is (skipping rows, reading rows, or taking in the scans of a progressive file), with
// DecodeCancelled. Times are compared with the same decode left to finish in this test,
// never with absolute figures.

#include "catalogue/image_decoder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include <jpeglib.h>

namespace volmarin {
namespace {

void writePhoto(const QString& path, int width, int height, bool progressive) {
    std::FILE* file = std::fopen(QFile::encodeName(path), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t{3} * width);
    std::mt19937 random(5);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] =
                static_cast<JSAMPLE>((static_cast<int>(i) / 40 + y / 30) % 160 + random() % 64);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    ASSERT_EQ(std::fclose(file), 0);
}

using Decode = std::function<QImage(const std::atomic<bool>*)>;

double msSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

enum class Outcome { Finished, Cancelled, Failed };

struct CancelledRun {
    Outcome outcome = Outcome::Failed;
    double endedMs = 0;  // from the start of the decode
    double raisedMs = 0; // when the flag went up
};

// Starts the decode on another thread and raises the flag after raiseAfterMs.
CancelledRun cancelAfter(const Decode& decode, double raiseAfterMs) {
    std::atomic<bool> cancel{false};
    CancelledRun run;
    QElapsedTimer clock;
    clock.start();
    std::thread worker([&] {
        try {
            decode(&cancel);
            run.outcome = Outcome::Finished;
        } catch (const DecodeCancelled&) {
            run.outcome = Outcome::Cancelled;
        } catch (const DecodeError&) {
            run.outcome = Outcome::Failed;
        }
        run.endedMs = msSince(clock);
    });
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(raiseAfterMs));
    run.raisedMs = msSince(clock);
    cancel = true;
    worker.join();
    return run;
}

TEST(DecodeCancelTest, ARaisedFlagEndsALargeDecodeWellBeforeItWouldFinish) {
    QTemporaryDir dir;
    const QString baseline = dir.filePath("baseline.jpg");
    const QString progressive = dir.filePath("progressive.jpg");
    writePhoto(baseline, 6000, 4000, false);
    writePhoto(progressive, 6000, 4000, true);

    const struct {
        const char* what;
        Decode decode;
    } cases[] = {
        // Mostly skipping: 80 of 4000 rows are read.
        {"baseline thumbnail",
         [&](const std::atomic<bool>* cancel) {
             return makeThumbnail(baseline, 80, false, cancel);
         }},
        // Reading a row in four.
        {"baseline screen",
         [&](const std::atomic<bool>* cancel) {
             return composeOnScreen(baseline, 1920, 1080, cancel);
         }},
        // Most of the time goes into taking in the scans, inside jpeg_start_decompress.
        {"progressive screen",
         [&](const std::atomic<bool>* cancel) {
             return composeOnScreen(progressive, 1920, 1080, cancel);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::atomic<bool> never{false};
        QElapsedTimer clock;
        clock.start();
        ASSERT_FALSE(c.decode(&never).isNull());
        const double fullMs = msSince(clock);

        // Raised a quarter of the way through, the decode must end long before the rest
        // of it would have run. On a busy machine the raise can come too late to meet the
        // decode; then it is tried again.
        CancelledRun run;
        for (int attempt = 0; attempt < 3; ++attempt) {
            run = cancelAfter(c.decode, fullMs / 4);
            if (run.outcome != Outcome::Finished)
                break;
        }
        ASSERT_EQ(run.outcome, Outcome::Cancelled) << "full decode " << fullMs << " ms";
        EXPECT_LT(run.endedMs - run.raisedMs, fullMs / 5)
            << "raised at " << run.raisedMs << " ms, ended at " << run.endedMs
            << " ms; full decode " << fullMs << " ms";
        EXPECT_LT(run.endedMs, fullMs * 0.6) << "full decode " << fullMs << " ms";
    }
}

TEST(DecodeCancelTest, AFlagRaisedBeforehandStopsEveryReaderAtOnce) {
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("small.jpg");
    writePhoto(jpeg, 64, 48, false);
    const QString bmp = dir.filePath("small.bmp");
    ASSERT_TRUE(QImage(64, 48, QImage::Format_RGB32).save(bmp, "BMP"));
    const std::atomic<bool> raised{true};
    for (const QString& path : {jpeg, bmp}) {
        try {
            makeThumbnail(path, 80, false, &raised);
            ADD_FAILURE() << "not cancelled: " << path.toStdString();
        } catch (const DecodeCancelled& e) {
            EXPECT_NE(std::string(e.what()).find(path.toStdString()), std::string::npos)
                << e.what();
        }
        EXPECT_THROW(composeOnScreen(path, 1024, 768, &raised), DecodeCancelled);
        // A lowered flag changes nothing.
        const std::atomic<bool> lowered{false};
        EXPECT_EQ(makeThumbnail(path, 80, false, &lowered), makeThumbnail(path, 80, false));
    }
}

} // namespace
} // namespace volmarin
