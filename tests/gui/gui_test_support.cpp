#include "gui_test_support.h"

#include "app/main_window.h"
#include "app/window_set.h"
#include "platform/error_report.h"

#include <QAction>
#include <QApplication>
#include <QFile>
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
