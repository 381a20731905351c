#pragma once

#include "chooser/volumes.h"
#include "ui_TForm2.h"

#include <QHash>
#include <QList>
#include <QWidget>

namespace volmarin {

// The folder chooser: a drive box, a folder list and the folder's BMP and JPEG files.
// Its current folder is also the process's working directory.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    TForm2();

    Ui::TForm2 ui;

    QString currentFolder() const { return currentFolder_; }
    // Makes path the current folder (and the working directory); the drive box and both
    // lists follow. A folder that cannot be entered changes nothing and gives false.
    bool setFolder(const QString& path);
    // Rereads the drive box and both lists from disk.
    void refresh();

    int fileCount() const;
    QString fileEntry(int index) const;
    // The full path of the selected file entry; empty when no entry is selected.
    QString selectedFile() const;
    bool slowRead() const;

    void FormCreate();
    void Button1Click(); // OK: starts the load (in catalogue/catalogue_handlers.cpp)
    void Button2Click(); // キャンセル
    void Button3Click(); // デフォルトに設定
    void CheckBox1Click();
    void DriveComboBox1Change(int index);
    void DirectoryListBox1Change();
    void FileListBox1Change();
    void FileListBox1DblClick(); // the file preview (with the viewer)
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The user's way into a folder: one that cannot be entered is reported in the notice
    // box, and the lists keep what they show.
    void chooseFolder(const QString& path);
    bool enterFolder(const QString& path);
    void showCurrentFolder();
    void fillDriveBox();
    void selectDriveOfCurrentFolder();
    void rebuildFolderList();
    void rereadFileList();
    void applyHints();
    void DirectoryListBox1Chosen(int row);

    QString currentFolder_;
    QList<Volume> volumes_;
    // The last folder visited on each volume, by mount point.
    QHash<QString, QString> lastFolderOnVolume_;
    QString fileListHint_;
    QString slowReadHint_;
    QString defaultButtonHint_;
};

} // namespace volmarin
