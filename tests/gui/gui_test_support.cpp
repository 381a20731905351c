#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/window_set.h"
#include "platform/error_report.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace volmarin::test {

void WindowSetTest::SetUp() {
    ASSERT_TRUE(dir_.isValid());
    previousCwd_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    errors.clear();
    setErrorReportSink([this](const QString& text) { errors << text; });
}

void WindowSetTest::TearDown() {
    destroyWindowSet();
    setErrorReportSink({});
    QDir::setCurrent(previousCwd_);
}

void WindowSetTest::writeSettings(const QByteArray& content) {
    QFile file(settingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

void WindowSetTest::startProgram() {
    createWindowSet();
    // The first Timer2 tick, run now instead of waited for; it reports errors like a tick.
    try {
        Form1->Timer2Timer();
    } catch (const std::exception& error) {
        errors << QString::fromUtf8(error.what());
    }
    activate(Form1);
}

void activate(QWidget* window) {
    window->activateWindow();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

QString WindowSetTest::settingsPath() const {
    return dir_.filePath(QStringLiteral("VOLMARIN.INI"));
}

QByteArray WindowSetTest::readSettings() const {
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CatalogueTest::SetUp() {
    WindowSetTest::SetUp();
    photos = QDir(startFolder()).filePath("photos");
    QDir(startFolder()).mkdir("photos");
    startProgram();
}

void CatalogueTest::fillCatalogue(const QStringList& captions, int edge) {
    LoadedFolder = photos;
    Form1->ImageList1.setSize(edge, edge);
    Form1->ListView1->setIconSize(QSize(edge, edge));
    for (int i = 0; i < captions.size(); ++i) {
        QImage thumbnail(edge, edge, QImage::Format_RGB888);
        thumbnail.fill(QColor::fromHsv((i * 37) % 360, 200, 220));
        Form1->ImageList1.append(thumbnail);
        Form1->catalogue->append(captions[i]);
    }
    Form1->ListView1->doItemsLayout();
    QCoreApplication::processEvents();
}

QStringList CatalogueTest::order() const {
    QStringList captions;
    for (int i = 0; i < Form1->catalogue->count(); ++i) {
        captions << Form1->catalogue->caption(i);
    }
    return captions;
}

QList<int> CatalogueTest::selectedPlaces() const {
    QList<int> places;
    for (const QModelIndex& index : Form1->ListView1->selectionModel()->selectedIndexes()) {
        places << index.row();
    }
    std::sort(places.begin(), places.end());
    return places;
}

QWidget* CatalogueTest::viewport() const {
    return Form1->ListView1->viewport();
}

QPoint CatalogueTest::itemPoint(int i) const {
    return Form1->ListView1->visualRect(Form1->catalogue->index(i)).center();
}

void CatalogueTest::pressOn(int i, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    QTest::mousePress(viewport(), button, modifiers, itemPoint(i));
}

void CatalogueTest::clickOn(int i, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    QTest::mouseClick(viewport(), button, modifiers, itemPoint(i));
}

void CatalogueTest::dragItem(int from, int to) {
    const QPoint start = itemPoint(from);
    const QPoint end = itemPoint(to);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, start);
    constexpr int steps = 8;
    for (int step = 1; step <= steps; ++step) {
        QTest::mouseMove(viewport(), start + (end - start) * step / steps);
    }
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, end);
}

void clickMenuEntry(QAction* entry) {
    QMenuBar* bar = Form1->ui.MainMenu1;
    QMenu* menu = nullptr;
    for (QAction* top : bar->actions()) {
        if (top->menu() && top->menu()->actions().contains(entry)) {
            menu = top->menu();
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        }
    }
    ASSERT_NE(menu, nullptr);
    if (!menu->isVisible()) {
        // A disabled main window opens no menu: nothing to choose.
        return;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    QCoreApplication::processEvents();
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

void typeText(QWidget* widget, const QString& text) {
    QTest::keyClicks(widget, text);
}

} // namespace volmarin::test
