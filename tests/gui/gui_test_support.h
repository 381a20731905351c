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

// A started program whose catalogue holds the given captions, without a load: thumbnails
// of one flat colour each, LoadedFolder set to a fresh photos folder, the mode word empty.
class CatalogueTest : public WindowSetTest {
protected:
    void SetUp() override;
    void fillCatalogue(const QStringList& captions, int edge = 40);
    // The captions in catalogue order.
    QStringList order() const;
    // Places of the selected items, ascending.
    QList<int> selectedPlaces() const;
    // The centre of item i in the list's viewport, where a user would click it.
    QPoint itemPoint(int i) const;
    void pressOn(int i, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = {});
    void clickOn(int i, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = {});
    // Press on item from, move in steps to item to, release there: a drag as a user makes it.
    void dragItem(int from, int to);
    QWidget* viewport() const;

    QString photos;
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
