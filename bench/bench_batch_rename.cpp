// The batch rename over a full catalogue against the bare system calls it cannot avoid.
// Prints "name: value unit" lines; needs no display (offscreen platform).
//
//   batch_9999_vs_bare_ratio  (OK + check phase + rename phase over 9999 files) / (9999 bare
//                             renameat2 calls in a folder of 9999 files), median of the
//                             rounds (target <= 3)
//   batch_9999_ms             the batch, median
//   bare_renameat2_9999_ms    the bare calls, median

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/error_report.h"
#include "rename/batch_rename_dialog.h"
#include "viewer/notice_box.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int FileCount = 9999;
constexpr int Rounds = 5;

QString photoName(int i) {
    return QStringLiteral("IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
}

bool makeFolderOfFiles(const QString& folder) {
    for (int i = 0; i < FileCount; ++i) {
        const int fd = open(QDir(folder).filePath(photoName(i)).toUtf8().constData(),
                            O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            return false;
        close(fd);
    }
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// What the kernel must do in any case: one no-replace rename per file, nothing else.
double bareRenamesMs(const QString& folder) {
    std::vector<QByteArray> from, to;
    for (int i = 0; i < FileCount; ++i) {
        from.push_back(QDir(folder).filePath(photoName(i)).toUtf8());
        to.push_back(QDir(folder)
                         .filePath(QStringLiteral("%1_x.jpg").arg(i + 1, 4, 10, QLatin1Char('0')))
                         .toUtf8());
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < FileCount; ++i) {
        if (syscall(SYS_renameat2, AT_FDCWD, from[i].constData(), AT_FDCWD, to[i].constData(),
                    RENAME_NOREPLACE) != 0) {
            std::fprintf(stderr, "bare rename %d failed\n", i);
            std::exit(1);
        }
    }
    return clock.nsecsElapsed() / 1e6;
}

// The whole catalogue through the real dialog: OK, then both timer ticks.
double batchMs(const QString& folder) {
    using namespace volmarin;
    Form1->catalogue->clear();
    Form1->ImageList1.setSize(8, 8);
    QImage thumbnail(8, 8, QImage::Format_RGB888);
    thumbnail.fill(Qt::gray);
    for (int i = 0; i < FileCount; ++i) {
        Form1->catalogue->append(photoName(i));
        Form1->ImageList1.append(thumbnail);
    }
    LoadedFolder = folder;
    SourceIndex = 0;
    Form3->ui.Edit1->setText(QStringLiteral("1"));
    Form3->ui.CheckBox2->setChecked(true);
    Form3->setEnabled(true);
    Form3->show();

    QElapsedTimer clock;
    clock.start();
    Form3->Button1Click();
    Form3->Timer1->stop(); // its tick is run at once instead of 100 ms later
    Form3->Timer1Timer();
    Form3->Timer2->stop();
    Form3->Timer2Timer();
    const double ms = clock.nsecsElapsed() / 1e6;

    if (Form6->mainLine() != QStringLiteral("完了") ||
        !QFile::exists(QDir(folder).filePath(QStringLiteral("9999_画像.jpg")))) {
        std::fprintf(stderr, "the batch did not finish: %s\n", qPrintable(Form6->mainLine()));
        std::exit(1);
    }
    Form6->Button1Click();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    volmarin::VolmarinApplication app(argc, argv);
    volmarin::createWindowSet();

    std::vector<double> batch, bare, ratios;
    for (int round = 0; round < Rounds; ++round) {
        QTemporaryDir batchFolder, bareFolder;
        if (!batchFolder.isValid() || !bareFolder.isValid() ||
            !makeFolderOfFiles(batchFolder.path()) || !makeFolderOfFiles(bareFolder.path())) {
            std::fprintf(stderr, "cannot make the test folders\n");
            return 1;
        }
        batch.push_back(batchMs(batchFolder.path()));
        bare.push_back(bareRenamesMs(bareFolder.path()));
        ratios.push_back(batch.back() / bare.back());
    }
    volmarin::destroyWindowSet();

    std::printf("batch_9999_vs_bare_ratio: %.2f\n", median(ratios));
    std::printf("batch_9999_ms: %.1f ms\n", median(batch));
    std::printf("bare_renameat2_9999_ms: %.1f ms\n", median(bare));
    return 0;
}
