// A load of photos that take long to decode, in the real program on the offscreen platform.
// Prints "name: value unit" lines.
//
//   load_heavy_vs_bound_ratio  the wall time of a load of 30 progressive 24-megapixel photos
//                        over the least it can take: the larger of the tick floor (one file per
//                        100 ms tick) and the decode time of its files on one thread divided by
//                        the cores (target <= 1.25)

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/window_set.h"
#include "bench_support.h"
#include "catalogue/image_decoder.h"
#include "chooser/folder_chooser.h"
#include "platform/error_report.h"
#include "viewer/size_dialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

using namespace volmarin;

namespace {

constexpr int Files = 30;
constexpr double TickSeconds = 0.1;

// The photos as names of one file (hard links), so the disk holds one photo's worth.
QStringList writeHeavyFolder(const QString& photos) {
    QDir().mkpath(photos);
    QStringList paths;
    for (int i = 0; i < Files; ++i) {
        paths << QDir(photos).filePath(QString("h%1.jpg").arg(i, 2, 10, QChar('0')));
    }
    if (!bench::writeTestPhoto(paths.front(), 6000, 4000, true)) {
        std::fprintf(stderr, "cannot write the test photo\n");
        std::exit(1);
    }
    for (int i = 1; i < Files; ++i) {
        if (::link(QFile::encodeName(paths.front()).constData(),
                   QFile::encodeName(paths.at(i)).constData()) != 0) {
            std::fprintf(stderr, "cannot link the test photo\n");
            std::exit(1);
        }
    }
    return paths;
}

double oneThreadDecodeSeconds(const QStringList& paths) {
    QElapsedTimer clock;
    clock.start();
    for (const QString& path : paths) {
        makeThumbnail(path, 80, false);
    }
    return clock.nsecsElapsed() / 1e9;
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The load's wall time; cpu receives the processor time it took, all threads together.
double loadSeconds(const QString& photos, double& cpu) {
    createWindowSet();
    Form2->setFolder(photos);
    Form5->ui.Edit1->setText("80");
    QElapsedTimer clock;
    clock.start();
    cpu = cpuSeconds();
    Form2->Button1Click(); // OK: the real load with the real Timer1
    while (Form1->modeWord() == mode::Loading) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    cpu = cpuSeconds() - cpu;
    if (Form1->catalogue->count() != Files) {
        std::fprintf(stderr, "loaded %d items\n", Form1->catalogue->count());
        std::exit(1);
    }
    destroyWindowSet();
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const bench::OffscreenRun run(argc, argv);
    const QString photos = run.folder() + QStringLiteral("/photos");
    const QStringList paths = writeHeavyFolder(photos);

    // Each measured twice, by turns, keeping the faster: on a machine that other programs
    // share, that is the run they disturbed least.
    const int cores = QThread::idealThreadCount();
    double decode = 0;
    double load = 0;
    double busy = 0;
    for (int round = 0; round < 2; ++round) {
        const double decoded = oneThreadDecodeSeconds(paths);
        double cpu = 0;
        const double loaded = loadSeconds(photos, cpu);
        decode = round == 0 ? decoded : std::min(decode, decoded);
        if (round == 0 || loaded < load) {
            load = loaded;
            busy = cpu / loaded;
        }
    }
    const double bound = std::max(Files * TickSeconds, decode / cores);
    // Cores busy with the load on average: below the cores, other programs took a share.
    std::printf("load_heavy_vs_bound_ratio: %.2f (load %.2f s, one-thread decode %.2f s, %d "
                "cores, tick floor %.1f s, %.2f cores busy with the load)\n",
                load / bound, load, decode, cores, Files * TickSeconds, busy);
    return 0;
}
