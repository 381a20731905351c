// Loading a folder into the catalogue: OK in the chooser starts it, and each Timer1 tick
// appends one file's thumbnail, in the chooser's list order.
#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "chooser/folder_chooser.h"
#include "platform/error_report.h"
#include "platform/file_exists.h"
#include "platform/number_syntax.h"
#include "platform/paths.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"

#include <QScreen>

#include <algorithm>
#include <stdexcept>

namespace volmarin {

namespace {
constexpr int MaxFiles = 9999;
}

void TForm2::Button1Click() {
    const int count = fileCount();
    if (count > MaxFiles) {
        Form6->showNotice(ChooserWindow, QStringLiteral("開けるファイル数は9999までです"));
        return;
    }
    if (count < 1) {
        return;
    }
    // A size text that is no number stops here, before anything has changed, and so does a
    // size that no thumbnail can have (none, negative, larger than the screen): one report,
    // not one for every file.
    const int n = toWholeNumber(Form5->ui.Edit1->text());
    const QScreen* screen = Form1->screen();
    const int largest = screen ? std::min(screen->size().width(), screen->size().height()) : 4096;
    if (n < 1 || n > largest) {
        throw std::runtime_error(
            QStringLiteral(
                "サムネイルの大きさ %1 では読み込めません（1 から %2 までにしてください）")
                .arg(n)
                .arg(largest)
                .toStdString());
    }
    QStringList files;
    files.reserve(count);
    for (int i = 0; i < count; ++i) {
        files << fileEntry(i);
    }
    Form1->startLoading(n, files);
}

void TForm1::startLoading(int n, const QStringList& files) {
    ImageList1.setSize(n, n);
    LoadedFolder = Form2->currentFolder();
    Form2->hide();
    setWindowEnabled(MainWindow, true);
    // The catalogue takes the keys at once, so that Esc stops the load.
    ListView1->setFocus(Qt::OtherFocusReason);
    setModeWord(mode::Loading);
    catalogue->clear();
    ImageList1.clear();
    // The grid follows the new thumbnail size.
    ListView1->setIconSize(QSize(n, n));
    ListView1->doItemsLayout();
    LoadPosition = 0;
    QStringList paths;
    paths.reserve(files.size());
    for (const QString& name : files) {
        paths << joinPath(LoadedFolder, name);
    }
    picture_ = std::make_unique<ThumbnailLoader>(paths, n, [] { return Form2->slowRead(); });
    Timer1->start();
}

void TForm1::Timer1Timer() {
    // While an error report is on screen the load waits, so that broken files never pile
    // up message boxes.
    if (!picture_ || errorReportOpen()) {
        return;
    }
    const int count = Form2->fileCount();
    const QString name = Form2->fileEntry(LoadPosition);
    const QString path = joinPath(LoadedFolder, name);
    QString failure;
    if (!fileExists(path)) {
        LoadPosition = count;
        Form6->showNotice(MainWindow, QStringLiteral("見当たらないファイルがあります"),
                          QStringLiteral("読込を中断します"));
    } else {
        std::optional<ThumbnailLoader::Result> made = picture_->take(LoadPosition);
        if (!made) {
            return; // still decoding: the next tick looks again
        }
        if (!made->error.isEmpty()) {
            // The file is skipped and the load goes on with the next one.
            failure = made->error;
        } else {
            ImageList1.append(std::move(made->thumbnail));
            catalogue->append(name);
            setStatusLine(QStringLiteral("%1/%2   [ESC]で中断").arg(LoadPosition + 1).arg(count));
            // A skipped broken file leaves no item, so the newest item is the last one.
            const QModelIndex item = catalogue->index(catalogue->count() - 1);
            ListView1->selectionModel()->clearSelection();
            ListView1->selectionModel()->select(item, QItemSelectionModel::Select);
            ListView1->scrollTo(item, QAbstractItemView::EnsureVisible);
        }
        ++LoadPosition;
    }
    if (LoadPosition >= count) {
        finishLoading();
    }
    if (!failure.isEmpty()) {
        reportError(failure);
    }
}

void TForm1::finishLoading() {
    picture_.reset();
    SourceIndex = -1;
    ListView1->selectionModel()->clearSelection();
    setModeWord(mode::Loaded);
    setStatusLine(QString());
    Timer1->stop();
}

void TForm1::stopLoading() {
    Timer1->stop();
    picture_.reset();
    SourceIndex = -1;
    ListView1->selectionModel()->clearSelection();
    setModeWord(mode::LoadStopped);
    setStatusLine(QString());
}

} // namespace volmarin
