// The JPEG reader skips the rows that no canvas row shows. The canvases must stay exactly
// those of a decode that reads every row: on every decodable JPEG of the corpus, and on
// generated files of every chroma layout libjpeg's skipping treats apart (context-row
// upsampling, row groups of two and four rows, tiny widths, several scans, arithmetic
// coding, restart markers, CMYK and YCCK).
//
// Abandoned decodes: a raised cancel flag ends a large decode within a moment, wherever it
// is (skipping rows, reading rows, or taking in the scans of a progressive file), with
// DecodeCancelled. Times are compared with the same decode left to finish in this test,
// never with absolute figures.

#include "catalogue/image_decoder.h"
#include "catalogue/stretch.h"
#include "support/jpeg_writer.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTransform>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <jpeglib.h>

namespace volmarin {
namespace {

const QString kCorpus = QStringLiteral(VOLMARIN_SOURCE_DIR "/../shared/corpus");

struct JpegLayout {
    const char* name;
    J_COLOR_SPACE space;                      // JCS_GRAYSCALE, JCS_YCbCr, JCS_CMYK or JCS_YCCK
    std::vector<std::pair<int, int>> factors; // h, v sampling factor of each component
    bool progressive = false;
    bool arithmetic = false;
    bool scanPerComponent = false; // sequential, but one scan for each component
    int restartInterval = 0;       // in MCUs
};

const std::vector<JpegLayout>& layouts() {
    static const std::vector<JpegLayout> all = {
        {"420", JCS_YCbCr, {{2, 2}, {1, 1}, {1, 1}}},
        {"422", JCS_YCbCr, {{2, 1}, {1, 1}, {1, 1}}},
        {"440", JCS_YCbCr, {{1, 2}, {1, 1}, {1, 1}}},
        {"444", JCS_YCbCr, {{1, 1}, {1, 1}, {1, 1}}},
        {"411", JCS_YCbCr, {{4, 1}, {1, 1}, {1, 1}}},
        {"grey", JCS_GRAYSCALE, {{1, 1}}},
        // Row groups of two rows without context rows: all components at 1x2, and a
        // horizontal-only halving inside a two-row group.
        {"444-tall-groups", JCS_YCbCr, {{1, 2}, {1, 2}, {1, 2}}},
        {"422-tall-groups", JCS_YCbCr, {{2, 2}, {1, 2}, {1, 2}}},
        // Row groups of four rows, upsampled by plain replication.
        {"410", JCS_YCbCr, {{1, 4}, {1, 1}, {1, 1}}},
        {"mixed", JCS_YCbCr, {{2, 2}, {1, 1}, {2, 1}}},
        {"420-progressive", JCS_YCbCr, {{2, 2}, {1, 1}, {1, 1}}, true},
        {"440-progressive", JCS_YCbCr, {{1, 2}, {1, 1}, {1, 1}}, true},
        {"444-progressive", JCS_YCbCr, {{1, 1}, {1, 1}, {1, 1}}, true},
        {"420-arithmetic", JCS_YCbCr, {{2, 2}, {1, 1}, {1, 1}}, false, true},
        {"422-arithmetic-progressive", JCS_YCbCr, {{2, 1}, {1, 1}, {1, 1}}, true, true},
        {"420-scan-per-component", JCS_YCbCr, {{2, 2}, {1, 1}, {1, 1}}, false, false, true},
        {"420-restarts", JCS_YCbCr, {{2, 2}, {1, 1}, {1, 1}}, false, false, false, 7},
        {"cmyk", JCS_CMYK, {{1, 1}, {1, 1}, {1, 1}, {1, 1}}},
        {"ycck-420", JCS_YCCK, {{2, 2}, {1, 1}, {1, 1}, {2, 2}}},
    };
    return all;
}

const JpegLayout& layoutNamed(const std::string& name) {
    for (const JpegLayout& layout : layouts())
        if (layout.name == name)
            return layout;
    throw std::invalid_argument(name);
}

// Noise over gradients: every row and column differs from its neighbours, so a row taken
// from the wrong place, or upsampled from wrong neighbours, changes the canvas.
void writeJpeg(const QString& path, const JpegLayout& layout, int width, int height,
               const QByteArray& exif = {}) {
    const bool ink = layout.space == JCS_CMYK || layout.space == JCS_YCCK;
    test::JpegSettings settings;
    settings.input = layout.space == JCS_GRAYSCALE ? JCS_GRAYSCALE : ink ? JCS_CMYK : JCS_RGB;
    settings.stored = layout.space;
    settings.factors = layout.factors;
    settings.quality = 85;
    settings.progressive = layout.progressive;
    settings.arithmetic = layout.arithmetic;
    settings.scanPerComponent = layout.scanPerComponent;
    settings.restartInterval = layout.restartInterval;
    settings.exif = exif;
    const int components = test::inputComponents(settings);
    std::mt19937 random(static_cast<unsigned>(width * 31 + height));
    ASSERT_TRUE(test::writeJpeg(path, width, height, settings, [&](int y, JSAMPLE* row) {
        for (int i = 0; i < width * components; ++i) {
            const int x = i / components;
            const int wave = (x * 7 + y * 3 + (i % 4) * 50) % 200;
            row[i] = static_cast<JSAMPLE>(wave + random() % 56);
        }
    })) << layout.name;
}

// A canvas of targetHeight rows, each showing the picture row the stretch picks: every
// height gives another pattern of rows read and skipped.
CanvasPlanner stripPlanner(int targetHeight) {
    return [targetHeight](int, int) {
        CanvasPlan plan;
        plan.canvasWidth = 40;
        plan.canvasHeight = targetHeight;
        plan.target = {0, 0, 40, targetHeight};
        return plan;
    };
}

struct NamedPlan {
    std::string name;
    CanvasPlanner planner;
};

// Thumbnails of several sizes, with and without the slow-read reduction, screens, and
// strips of heights from one row to all but one, around the 8 and 16-row block rows.
std::vector<NamedPlan> plansFor(int pictureHeight, bool strips) {
    std::vector<NamedPlan> plans;
    for (const int n : {20, 57, 80, 150})
        for (const bool slow : {false, true})
            plans.push_back({"thumbnail " + std::to_string(n) + (slow ? " slow" : ""),
                             thumbnailPlanner(n, slow)});
    plans.push_back({"screen 1920 x 1080", screenPlanner(1920, 1080)});
    plans.push_back({"screen 1024 x 768", screenPlanner(1024, 768)});
    plans.push_back({"screen 90 x 200", screenPlanner(90, 200)});
    if (strips) {
        for (const int h : {1, 2, 3, 5, 8, 9, 15, 16, 17, 33, 61, pictureHeight / 3,
                            pictureHeight / 2, pictureHeight - 16, pictureHeight - 1})
            if (h >= 1 && h < pictureHeight)
                plans.push_back({"strip " + std::to_string(h), stripPlanner(h)});
    }
    return plans;
}

// Draws every plan both ways; returns how many canvases were compared. A file the full
// decode refuses must not crash the skipping reader either.
int expectSkippingEqualsReadingAll(const QString& path, int pictureHeight, bool strips) {
    int compared = 0;
    for (const NamedPlan& plan : plansFor(pictureHeight, strips)) {
        SCOPED_TRACE(plan.name);
        QImage reference;
        try {
            reference = drawPicture(path, plan.planner, RowReading::ReadAll);
        } catch (const DecodeError&) {
            try {
                drawPicture(path, plan.planner, RowReading::SkipUnshown);
            } catch (const DecodeError&) {
            }
            continue;
        }
        QImage skipped;
        try {
            skipped = drawPicture(path, plan.planner, RowReading::SkipUnshown);
        } catch (const DecodeError& e) {
            ADD_FAILURE() << "the full decode reads it, the skipping one says: " << e.what();
            continue;
        }
        EXPECT_EQ(skipped, reference);
        ++compared;
    }
    return compared;
}

TEST(DecodeSkipTest, GeneratedLayoutsGiveTheCanvasesOfAFullDecode) {
    QTemporaryDir dir;
    // A tall picture whose last block row is partly filled (1023 = 63 x 16 + 15), a
    // small landscape one, and pictures two to four pixels wide, where libjpeg upsamples
    // 4:2:0 chroma without its context rows.
    const struct {
        int width, height;
        bool strips;
    } sizes[] = {{301, 1023, true}, {333, 141, true}, {4, 301, true}, {3, 77, false}};
    for (const JpegLayout& layout : layouts()) {
        for (const auto& size : sizes) {
            const QString path = dir.filePath(
                QStringLiteral("%1-%2x%3.jpg").arg(layout.name).arg(size.width).arg(size.height));
            SCOPED_TRACE(path.toStdString());
            writeJpeg(path, layout, size.width, size.height);
            const QImage whole = decodeWhole(path);
            ASSERT_EQ(whole.size(), QSize(size.width, size.height));
            EXPECT_GE(expectSkippingEqualsReadingAll(path, size.height, size.strips), 10);
        }
    }
}

// The upright picture as Qt turns and mirrors it, for each Exif Orientation value: a
// quarter turn clockwise for 5 to 8, then mirrored left-right and top-bottom.
QImage turnedByQt(const QImage& stored, int orientation) {
    const bool mirrors[8][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 0}, {0, 0}, {0, 1}, {1, 1}};
    const QImage base = orientation < 5 ? stored : stored.transformed(QTransform().rotate(90));
    return base.mirrored(mirrors[orientation - 1][0], mirrors[orientation - 1][1])
        .convertToFormat(QImage::Format_RGB888);
}

// A whole picture through the one stretch, as its rows would come from a decoder.
QImage stretchedWhole(const QImage& picture, const CanvasPlanner& planner) {
    RowSampler sampler(planner);
    sampler.begin(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y)
        sampler.put(y, picture.constScanLine(y));
    return sampler.takeCanvas();
}

// A photo stored turned or mirrored is drawn as decoding it whole, turning it and then
// stretching would draw it; the same file without its Exif block gives the stored pixels.
TEST(DecodeSkipTest, EveryOrientationGivesTheUprightPictureStretched) {
    QTemporaryDir dir;
    for (const char* layout : {"420", "411", "440-progressive"}) {
        for (const auto& [width, height] : {std::pair{301, 1023}, {333, 141}, {4, 301}}) {
            const QString plain = dir.filePath("plain.jpg");
            writeJpeg(plain, layoutNamed(layout), width, height);
            const QImage stored = decodeWhole(plain);
            for (int orientation = 1; orientation <= 8; ++orientation) {
                SCOPED_TRACE(testing::Message() << layout << " " << width << " x " << height
                                                << ", orientation " << orientation);
                const QString tagged = dir.filePath(QStringLiteral("o%1.jpg").arg(orientation));
                writeJpeg(tagged, layoutNamed(layout), width, height,
                          test::exifOrientationSegment(orientation, orientation % 2 == 0));
                const QImage upright = turnedByQt(stored, orientation);
                ASSERT_EQ(decodeWhole(tagged), upright);
                for (const NamedPlan& plan : plansFor(upright.height(), false)) {
                    SCOPED_TRACE(plan.name);
                    EXPECT_EQ(drawPicture(tagged, plan.planner, RowReading::SkipUnshown),
                              stretchedWhole(upright, plan.planner));
                }
            }
        }
    }
}

TEST(DecodeSkipTest, CorpusJpegsGiveTheCanvasesOfAFullDecode) {
    int files = 0, compared = 0;
    QDirIterator it(kCorpus, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString extension = QFileInfo(path).suffix().toLower();
        if (extension != "jpg" && extension != "jpeg")
            continue;
        SCOPED_TRACE(path.toStdString());
        compared += expectSkippingEqualsReadingAll(path, 0, false);
        ++files;
    }
    std::cout << "corpus: " << files << " JPEGs, " << compared << " canvases compared\n";
    EXPECT_GE(files, 150);
    // Most of the corpus decodes; each file that does is compared on eleven canvases.
    EXPECT_GE(compared, 100 * 11);
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

TEST(DecodeSkipTest, ARaisedFlagEndsALargeDecodeWellBeforeItWouldFinish) {
    QTemporaryDir dir;
    const QString baseline = dir.filePath("baseline.jpg");
    const QString progressive = dir.filePath("progressive.jpg");
    writeJpeg(baseline, layoutNamed("420"), 6000, 4000);
    writeJpeg(progressive, layoutNamed("420-progressive"), 6000, 4000);

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

TEST(DecodeSkipTest, AFlagRaisedBeforehandStopsEveryReaderAtOnce) {
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("small.jpg");
    writeJpeg(jpeg, layoutNamed("420"), 64, 48);
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
