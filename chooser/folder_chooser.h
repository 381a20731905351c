#pragma once

#include "ui_TForm2.h"

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
    // Makes path the current folder (and the working directory); the lists follow.
    void setFolder(const QString& path);
    // Rereads the lists from disk.
    void refresh();

    int fileCount() const;
    QString fileEntry(int index) const;

    void Button2Click(); // キャンセル

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString currentFolder_;
};

} // namespace volmarin
