// Opening the viewer from the catalogue and from the chooser's file list.
#include "app/main_window.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "catalogue/list_selection.h"
#include "chooser/folder_chooser.h"
#include "platform/file_exists.h"
#include "platform/paths.h"
#include "viewer/notice_box.h"
#include "viewer/viewer_window.h"

namespace volmarin {

namespace {
const QString FileMissing = QStringLiteral("ファイルが見当たりません");

// The decoder opens the entry that the existence test found, which may bear the name in
// another letter case than the caption or the listing.
QString entryToShow(const QString& path) {
    const QString found = existingEntryPath(path);
    return found.isEmpty() ? path : found;
}
} // namespace

void TForm1::ListView1DblClick() {
    if (modeWord() == mode::Loading) {
        return;
    }
    // SourceIndex past the end cannot happen through the list, but must never index it.
    if (listSelection().currentIndex() == -1 || SourceIndex == -1 ||
        SourceIndex >= catalogue->count()) {
        return;
    }
    const QString path = joinPath(LoadedFolder, catalogue->caption(SourceIndex));
    if (fileExists(path)) {
        Form7->showImageFile(entryToShow(path), MainWindow);
    } else {
        Form6->showNotice(MainWindow, FileMissing);
    }
}

void TForm2::FileListBox1DblClick() {
    const QString path = selectedFile();
    const auto exists = [&path] { return !path.isEmpty() && fileExists(path); };
    if (exists()) {
        Form7->showImageFile(entryToShow(path), ChooserWindow);
    }
    // Asked again: the answer is the disk's after the showing, not before it.
    if (!exists()) {
        Form6->showNotice(ChooserWindow, FileMissing);
    }
}

} // namespace volmarin
