// The catalogue under load, in the real program on the offscreen platform. Prints
// "name: value unit" lines.
//
//   load_max_stall_ms        longest time the event loop does not turn while 40 photos of
//                            6000 x 4000 load with the real timer (target <= 30)
//   thumbs_9999_n150_rss_mb  resident memory holding 9999 thumbnails of 150 px (target <= 760)
//   carry_9999_us            one carry from place 0 to place 9998 of 9999 items, model
//                            notification included (target <= 1000)
//   gather_tick_max_ms       the longest tick while gathering 5000 selected items of 9999
//                            (target <= 5)

#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "bench_support.h"
#include "catalogue/list_selection.h"
#include "catalogue/move_engine.h"
#include "chooser/folder_chooser.h"
#include "platform/error_report.h"
#include "viewer/size_dialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelection>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace volmarin;

namespace {

void loadStall(const QString& folder) {
    QDir(folder).mkpath("photos");
    const QString photos = QDir(folder).filePath("photos");
    const QString first = QDir(photos).filePath("p00.jpg");
    if (!bench::writeTestPhoto(first, 6000, 4000)) {
        std::fprintf(stderr, "cannot write the test photo\n");
        std::exit(1);
    }
    for (int i = 1; i < 40; ++i) {
        QFile::copy(first, QDir(photos).filePath(QString("p%1.jpg").arg(i, 2, 10, QChar('0'))));
    }
    createWindowSet();
    Form2->setFolder(photos);
    Form5->ui.Edit1->setText("80");

    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    Form2->Button1Click(); // OK: the real load with the real Timer1
    clock.start();
    probe.start();
    while (Form1->modeWord() == mode::Loading) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double seconds = clock.elapsed() / 1000.0;
    probe.stop();
    std::printf("load_40_photos_s: %.2f s (%d items)\n", seconds, Form1->catalogue->count());
    std::printf("load_max_stall_ms: %lld ms\n", static_cast<long long>(longest));
    destroyWindowSet();
}

void fill(int count, int edge) {
    Form1->ImageList1.setSize(edge, edge);
    Form1->ListView1->setIconSize(QSize(edge, edge));
    for (int i = 0; i < count; ++i) {
        QImage thumbnail(edge, edge, QImage::Format_RGB888);
        thumbnail.fill(QColor::fromHsv(i % 360, 180, 200));
        Form1->ImageList1.append(std::move(thumbnail));
        Form1->catalogue->append(QString("IMG_%1.jpg").arg(i, 4, 10, QChar('0')));
    }
    LoadedFolder = QDir::tempPath();
    QCoreApplication::processEvents();
}

void thumbnailMemory() {
    const double before = bench::residentMb();
    createWindowSet();
    fill(9999, 150);
    Form1->ListView1->viewport()->grab(); // one paint of the visible items
    std::printf("thumbs_9999_n150_rss_mb: %.0f MB (program before the catalogue: %.0f MB)\n",
                bench::residentMb(), before);
    destroyWindowSet();
}

void carryAndGather() {
    createWindowSet();
    fill(9999, 80);
    // The carry itself, notification included, and apart from it the repaint that the
    // event loop then makes of the visible items.
    std::vector<double> carries;
    std::vector<double> repaints;
    for (int round = 0; round < 21; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (round % 2 == 0) {
            Form1->moves().carry(0, 9998);
        } else {
            Form1->moves().carry(9998, 0);
        }
        carries.push_back(timer.nsecsElapsed() / 1000.0);
        timer.restart();
        Form1->ListView1->viewport()->repaint();
        repaints.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::printf("carry_9999_us: %.0f us\n", bench::median(carries));
    std::printf("carry_repaint_us: %.0f us (the visible items painted afterwards)\n",
                bench::median(repaints));

    // 5000 of 9999 selected (every other item from place 1), the pressed item among them,
    // dropped on an unselected item in the middle.
    QItemSelection selection;
    for (int i = 1; i < 9999; i += 2) {
        selection.select(Form1->catalogue->index(i), Form1->catalogue->index(i));
    }
    selection.select(Form1->catalogue->index(9998), Form1->catalogue->index(9998));
    Form1->ListView1->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    SourceIndex = 4001;
    Form1->setModeWord(mode::Movable);
    Form1->moves().DragOverItem = 5000;
    Form1->ListView1DragDrop(QPoint());
    double longest = 0;
    int ticks = 0;
    while (Form1->modeWord() == mode::Moving) {
        QElapsedTimer timer;
        timer.start();
        Form1->Timer2Timer();
        longest = std::max(longest, timer.nsecsElapsed() / 1e6);
        ++ticks;
    }
    Form1->Timer2->stop();
    std::printf("gather_tick_max_ms: %.2f ms (%d ticks, %d selected at the end)\n", longest, ticks,
                Form1->listSelection().selectedCount());
    destroyWindowSet();
}

} // namespace

int main(int argc, char** argv) {
    const bench::OffscreenRun run(argc, argv);
    thumbnailMemory();
    loadStall(run.folder());
    carryAndGather();
    return 0;
}
