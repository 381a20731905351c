// Stopping a load while its workers are deep in pictures that take long to decode, in the
// real program on the offscreen platform. Prints "name: value unit" lines.
//
//   slow_file_decode_ms  one thumbnail of the 96-megapixel test photo, made alone (for scale)
//   stop_load_ms         Esc released in the list until the mode word reads 読込中断, while
//                        both workers decode slow files (target <= 50)
//   exit_while_decoding_ms  the window set torn down while both workers decode slow files,
//                        as the program's end does
//   abandoned_decodes_end_ms  from that tear-down until the abandoned decodes have stopped
//                        and their threads ended

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/window_set.h"
#include "bench_support.h"
#include "catalogue/background_workers.h"
#include "catalogue/image_decoder.h"
#include "chooser/folder_chooser.h"
#include "platform/error_report.h"
#include "viewer/size_dialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

using namespace volmarin;

namespace {

// Twelve names of one large photo (hard links: one file's worth of disk), each of which
// keeps a worker busy for about a second.
QString writeSlowFolder(const QString& root) {
    const QString photos = QDir(root).filePath("photos");
    QDir(root).mkpath("photos");
    const QString first = QDir(photos).filePath("s00.jpg");
    if (!bench::writeTestPhoto(first, 12000, 8000)) {
        std::fprintf(stderr, "cannot write the test photo\n");
        std::exit(1);
    }
    for (int i = 1; i < 12; ++i) {
        const QString name = QDir(photos).filePath(QString("s%1.jpg").arg(i, 2, 10, QChar('0')));
        if (::link(QFile::encodeName(first).constData(), QFile::encodeName(name).constData()) !=
            0) {
            std::fprintf(stderr, "cannot link the test photo\n");
            std::exit(1);
        }
    }
    return photos;
}

// Starts the load by the chooser's OK and lets the workers get well into their files.
void startSlowLoad(const QString& photos) {
    createWindowSet();
    Form2->setFolder(photos);
    Form5->ui.Edit1->setText("80");
    Form2->Button1Click();
    Form1->Timer1Timer(); // hands the first files to the workers
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
}

} // namespace

int main(int argc, char** argv) {
    VolmarinApplication app(argc, argv);
    setErrorReportSink([](const QString&) {});
    QTemporaryDir dir;
    const QString photos = writeSlowFolder(dir.path());
    QDir::setCurrent(dir.path());

    QElapsedTimer clock;
    clock.start();
    makeThumbnail(QDir(photos).filePath("s00.jpg"), 80, false);
    std::printf("slow_file_decode_ms: %lld ms\n", static_cast<long long>(clock.elapsed()));

    startSlowLoad(photos);
    Form1->ListView1->setFocus();
    QTest::keyPress(Form1->ListView1, Qt::Key_Escape);
    clock.restart();
    QTest::keyRelease(Form1->ListView1, Qt::Key_Escape);
    const double stopMs = clock.nsecsElapsed() / 1e6;
    if (Form1->modeWord() != mode::LoadStopped) {
        std::fprintf(stderr, "Esc did not stop the load\n");
        return 1;
    }
    std::printf("stop_load_ms: %.2f ms\n", stopMs);
    destroyWindowSet();
    BackgroundWorkers::waitForAllThreads(std::chrono::seconds(30));

    startSlowLoad(photos);
    clock.restart();
    destroyWindowSet();
    std::printf("exit_while_decoding_ms: %.2f ms\n", clock.nsecsElapsed() / 1e6);
    const bool ended = BackgroundWorkers::waitForAllThreads(std::chrono::seconds(30));
    std::printf("abandoned_decodes_end_ms: %.2f ms (%s)\n", clock.nsecsElapsed() / 1e6,
                ended ? "every worker thread ended" : "a worker thread is still running");
    return ended ? 0 : 1;
}
