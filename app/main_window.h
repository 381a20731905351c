#pragma once

#include "catalogue/catalogue_model.h"
#include "catalogue/thumbnail_list.h"

#include "ui_TForm1.h"

#include <QLabel>
#include <QMainWindow>
#include <QTimer>

namespace volmarin {

// The main window: the catalogue list, the menu and the two-panel status bar whose first
// panel holds the mode word.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1();

    Ui::TForm1 ui;
    QListView* ListView1 = nullptr;
    QPushButton* Button1 = nullptr; // focus sink under the list, never seen
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr; // loading, one file per tick
    QTimer* Timer2 = nullptr; // the start-up step, then the moves
    QTimer* Timer3 = nullptr; // scrolling while a drag is held at the edge
    ThumbnailList ImageList1;
    CatalogueModel* catalogue = nullptr;

    QString modeWord() const { return statusPanel0_->text(); }
    void setModeWord(const QString& word) { statusPanel0_->setText(word); }
    QString statusLine() const { return statusPanel1_->text(); }
    void setStatusLine(const QString& text) { statusPanel1_->setText(text); }

    // Writes the settings file from the windows' present state (both exit paths use it).
    void settingsWrite();

    void FormCreate();
    void Timer2Timer();
    void Folder1Click();
    void SyuuRyouClick();
    void KobetuClick();
    void IkkatuClick();
    void SetteiClick();
    void VERSIONClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startupStep();
    void applySettingsFile(const QByteArray& content);
    void layoutCatalogue();

    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
};

} // namespace volmarin
