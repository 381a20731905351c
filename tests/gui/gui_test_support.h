#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class QAction;
class QWidget;

namespace volmarin::test {

// Every GUI test starts the real window set in a fresh temporary start folder, with the
// general error report captured instead of shown.
class WindowSetTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes VOLMARIN.INI into the start folder before the window set is made.
    void writeSettings(const QByteArray& content);
    // Creates the windows and runs the start-up step at once (as the first Timer2 tick).
    void startProgram();

    QString startFolder() const { return dir_.path(); }
    QString settingsPath() const;
    QByteArray readSettings() const;

    QStringList errors; // texts shown by the general error report

private:
    QTemporaryDir dir_;
    QString previousCwd_;
};

// Makes window the active one, so that its shortcuts answer keys.
void activate(QWidget* window);

// Chooses a menu entry as a user does: a click on its menu in the menu bar, then a click
// on the entry in the menu that opens.
void clickMenuEntry(QAction* entry);

// Clicks a widget's centre with the left button.
void click(QWidget* widget);

// Types text into the focused widget of window, key by key.
void typeText(QWidget* widget, const QString& text);

} // namespace volmarin::test
