// The folder chooser on crowded folders, in the real program on the offscreen platform.
// Prints "name: value unit" lines.
//
//   chooser_refresh_50k_folders_ms  the longest the user-interface thread is held while the
//                        program starts in a folder of 50,000 sub-folders and while the
//                        chooser is opened there (target <= 500)
//   chooser_refresh_9999_vs_listing_ratio  one refresh of the chooser on 9999 photos against
//                        reading and sorting the same names in the same process (target <= 8)

#include "app/main_window.h"
#include "app/window_set.h"
#include "bench_support.h"
#include "chooser/folder_chooser.h"
#include "platform/error_report.h"
#include "platform/file_exists.h"
#include "platform/name_codec.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace volmarin;

namespace {

void makeEntries(const QString& folder, int count, bool folders) {
    QDir().mkpath(folder);
    for (int i = 1; i <= count; ++i) {
        const QByteArray path =
            nameToBytes(folder + QString::asprintf(folders ? "/album %05d" : "/IMG_%04d.jpg", i));
        const int made = folders ? ::mkdir(path.constData(), 0755)
                                 : ::close(::open(path.constData(), O_CREAT | O_WRONLY, 0644));
        if (made != 0) {
            std::fprintf(stderr, "cannot make %s\n", path.constData());
            std::exit(1);
        }
    }
}

// What any listing must do: read the folder's names and put them in the lists' order.
QStringList readAndSort(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(nameToBytes(folder).constData());
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            names.append(nameFromBytes(entry->d_name));
        }
    }
    ::closedir(dir);
    sortFileNames(names);
    return names;
}

double msSince(const QElapsedTimer& clock) {
    return clock.nsecsElapsed() / 1e6;
}

// The time until the events a step posted (layouts, paints) are handled as well.
double withPostedEvents(const QElapsedTimer& clock) {
    QApplication::processEvents();
    return msSince(clock);
}

void crowdedFolders(const QString& root) {
    const QString crowded = root + "/crowded";
    makeEntries(crowded, 50000, true);
    QDir::setCurrent(crowded);

    QElapsedTimer clock;
    clock.start();
    createWindowSet();
    const double start = withPostedEvents(clock);

    std::vector<double> openings;
    for (int round = 0; round < 3; ++round) {
        clock.restart();
        Form1->Folder1Click();
        openings.push_back(withPostedEvents(clock));
        Form2->Button2Click();
        QApplication::processEvents();
    }
    const double opening = *std::max_element(openings.begin(), openings.end());
    clock.restart();
    readAndSort(crowded);
    const double listing = msSince(clock);
    std::printf("chooser_refresh_50k_folders_ms: %.0f ms (start %.0f ms, opening %.0f ms, %d "
                "folder rows; reading and sorting the names alone %.0f ms)\n",
                std::max(start, opening), start, opening, Form2->ui.DirectoryListBox1->count(),
                listing);
    destroyWindowSet();
    QDir::setCurrent(root);
}

void manyPhotos(const QString& root) {
    const QString photos = root + "/photos";
    makeEntries(photos, 9999, false);
    createWindowSet();
    Form2->setFolder(photos);
    Form1->Folder1Click(); // refreshed as the user sees it: the chooser open
    QApplication::processEvents();

    std::vector<double> listings;
    std::vector<double> refreshes;
    for (int round = 0; round < 9; ++round) {
        QElapsedTimer clock;
        clock.start();
        const QStringList names = readAndSort(photos);
        listings.push_back(msSince(clock));
        if (names.size() != 9999) {
            std::fprintf(stderr, "listed %lld names\n", static_cast<long long>(names.size()));
            std::exit(1);
        }
        clock.restart();
        Form2->refresh();
        refreshes.push_back(withPostedEvents(clock));
    }
    const double listing = bench::median(listings);
    const double refresh = bench::median(refreshes);
    std::printf("chooser_refresh_9999_vs_listing_ratio: %.2f (refresh %.1f ms, listing and "
                "sorting %.1f ms, %d files)\n",
                refresh / listing, refresh, listing, Form2->fileCount());
    destroyWindowSet();
}

} // namespace

int main(int argc, char** argv) {
    const bench::OffscreenRun run(argc, argv);
    // One part alone: "folders" or "photos" as the argument.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (only.isEmpty() || only == "folders") {
        crowdedFolders(run.folder());
    }
    if (only.isEmpty() || only == "photos") {
        manyPhotos(run.folder());
    }
    return 0;
}
