// The full-screen viewer with large photos on a 1920 x 1080 screen. Prints "name: value unit"
// lines; runs on the offscreen platform, so it needs no display.
//
//   viewer_page_ms                median time from the release of → to the next picture
//                                 being on the viewer, paging through ten 6000 x 4000
//                                 JPEGs with a 300 ms look at each (target <= 25)
//   viewer_first_vs_decode_ratio  a first showing, with nothing composed ahead, against a
//                                 bare full-size libjpeg decode of the same file, followed
//                                 by the two times (target <= 1.00)

#include "bench_support.h"

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "platform/error_report.h"
#include "viewer/viewer_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int PhotoWidth = 6000;
constexpr int PhotoHeight = 4000;
constexpr int PhotoCount = 10;
constexpr int LookMs = 300;
constexpr int FirstShowingRounds = 15;

double msSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

qint64 shownPixmap() {
    return volmarin::Form7->ui.Image1->pixmap().cacheKey();
}

void openOnItem(int index) {
    using namespace volmarin;
    Form1->listSelection().clearSelection();
    Form1->listSelection().setCurrentIndex(index);
    SourceIndex = index;
    Form1->ListView1DblClick();
}

} // namespace

int main(int argc, char** argv) {
    using namespace volmarin;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    VolmarinApplication app(argc, argv);
    setErrorReportSink([](const QString& text) {
        std::fprintf(stderr, "error report: %s\n", text.toLocal8Bit().constData());
    });

    QTemporaryDir dir;
    QStringList names;
    for (int i = 0; i < PhotoCount; ++i) {
        names << QStringLiteral("photo%1.jpg").arg(i);
        if (!bench::writeTestPhoto(dir.filePath(names.last()), PhotoWidth, PhotoHeight)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(names.last()));
            return 1;
        }
    }

    std::printf("viewer_photo_size_mb: %.1f MB\n",
                static_cast<double>(QFileInfo(dir.filePath(names.first())).size()) / 1e6);

    createWindowSet();
    Form1->Timer2->stop();
    Form1->setModeWord(mode::Loaded);
    Form1->ImageList1.setSize(80, 80);
    for (const QString& name : names) {
        QImage thumbnail(80, 80, QImage::Format_RGB888);
        thumbnail.fill(Qt::gray);
        Form1->ImageList1.append(thumbnail);
        Form1->catalogue->append(name);
    }
    LoadedFolder = dir.path();
    Form7->setScreenSize(QSize(1920, 1080));

    // Paging forward, a look at each picture.
    openOnItem(0);
    QTest::qWait(LookMs);
    std::vector<double> steps;
    std::vector<double> painted;
    const int takenBefore = Form7->pageCache().canvasesTaken();
    for (int i = 1; i < PhotoCount; ++i) {
        const qint64 before = shownPixmap();
        QElapsedTimer clock;
        clock.start();
        QTest::keyRelease(Form7, Qt::Key_Right);
        const double ms = msSince(clock);
        if (shownPixmap() == before || SourceIndex != i) {
            std::fprintf(stderr, "page step %d did not show the next picture\n", i);
            return 1;
        }
        steps.push_back(ms);
        // Not part of the target: the picture drawn into the window's backing store too.
        Form7->repaint();
        painted.push_back(msSince(clock));
        QTest::qWait(LookMs);
    }
    std::printf("viewer_page_ms: %.1f ms\n", bench::median(steps));
    std::printf("viewer_page_slowest_ms: %.1f ms\n", *std::max_element(steps.begin(), steps.end()));
    std::printf("viewer_page_painted_ms: %.1f ms\n", bench::median(painted));
    std::printf("viewer_page_prepared_steps: %d of %d\n",
                Form7->pageCache().canvasesTaken() - takenBefore, PhotoCount - 1);

    // First showings against bare decodes, alternated so that both meet the same load.
    const QString reference = dir.filePath(names.first());
    std::vector<double> firsts;
    std::vector<double> decodes;
    for (int round = 0; round < FirstShowingRounds; ++round) {
        Form7->Image1Click();
        Form7->pageCache().waitForIdle();
        QCoreApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        openOnItem(0);
        firsts.push_back(msSince(clock));
        Form7->Image1Click();
        Form7->pageCache().waitForIdle();
        QCoreApplication::processEvents();
        clock.start();
        bench::bareDecode(reference);
        decodes.push_back(msSince(clock));
    }
    const double first = bench::median(firsts);
    const double decode = bench::median(decodes);
    std::printf("viewer_first_showing_ms: %.1f ms\n", first);
    std::printf("viewer_bare_decode_ms: %.1f ms\n", decode);
    std::printf("viewer_first_vs_decode_ratio: %.3f ratio (first showing %.1f ms / bare decode "
                "%.1f ms)\n",
                first / decode, first, decode);

    destroyWindowSet();
    return 0;
}
