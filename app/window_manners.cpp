#include "app/window_manners.h"

#include "app/window_set.h"
#include "platform/window_frame.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace volmarin {

namespace {

bool isEnter(const QKeyEvent* event) {
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// The window the user has to answer before window: the last of the shown windows stacked
// one above the other over it (a notice over the viewer over the chooser, say), or window
// itself when none is shown over it.
QWidget* frontWindowOver(QWidget* window) {
    QWidget* front = window;
    // Each step goes one window further; seven steps reach past any chain of seven windows.
    for (std::size_t step = 0; step < windowSet().size(); ++step) {
        QWidget* next = nullptr;
        for (QWidget* other : windowSet()) {
            if (other && other != front && other->isVisible() && stackingOwnerOf(other) == front) {
                next = other;
            }
        }
        if (!next) {
            break;
        }
        front = next;
    }
    return front;
}

class WindowManners : public QObject {
public:
    static constexpr const char* Name = "volmarin-window-manners";

    explicit WindowManners(QObject* parent) : QObject(parent) {
        setObjectName(QString::fromLatin1(Name));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
            return keyPress(watched, static_cast<QKeyEvent*>(event));
        case QEvent::KeyRelease:
            return keyRelease(static_cast<QKeyEvent*>(event));
        case QEvent::WindowActivate:
            windowActivated(watched);
            return false;
        default:
            return false;
        }
    }

private:
    bool keyPress(QObject* watched, QKeyEvent* event) {
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !isEnter(event) || !button->hasFocus() || !button->isEnabled()) {
            return false;
        }
        // A held Enter presses once. X repeats a held key as releases and presses that bear
        // one time stamp, and does not always mark them as repeats.
        const bool repeated = event->isAutoRepeat() ||
                              (enterReleasedAt_ != 0 && event->timestamp() == enterReleasedAt_);
        if (!repeated) {
            // Its release belongs to the button too, not to the window that takes the
            // keyboard when the button closes its own.
            releaseToSwallow_ = true;
            button->click();
        }
        return true;
    }

    bool keyRelease(QKeyEvent* event) {
        if (!isEnter(event)) {
            return false;
        }
        enterReleasedAt_ = event->timestamp();
        if (!releaseToSwallow_) {
            return false;
        }
        releaseToSwallow_ = false;
        return true;
    }

    void windowActivated(QObject* watched) {
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || window->isEnabled() || !isOneOfTheWindowSet(window)) {
            return;
        }
        QPointer<QWidget> front = frontWindowOver(window);
        if (front == window) {
            return;
        }
        // After the activation has run its course: a window manager that has just given the
        // waiting window the focus would otherwise take it back.
        QPointer<QWidget> waiting = window;
        QTimer::singleShot(0, this, [front, waiting] {
            if (front && waiting && front->isVisible() && !waiting->isEnabled()) {
                front->raise();
                front->activateWindow();
            }
        });
    }

    static bool isOneOfTheWindowSet(const QWidget* window) {
        const auto windows = windowSet();
        return std::find(windows.begin(), windows.end(), window) != windows.end();
    }

    bool releaseToSwallow_ = false;
    unsigned long enterReleasedAt_ = 0;
};

} // namespace

void installWindowManners(QApplication& app) {
    if (!app.findChild<QObject*>(QString::fromLatin1(WindowManners::Name),
                                 Qt::FindDirectChildrenOnly)) {
        app.installEventFilter(new WindowManners(&app));
    }
}

void removeWindowManners(QApplication& app) {
    delete app.findChild<QObject*>(QString::fromLatin1(WindowManners::Name),
                                   Qt::FindDirectChildrenOnly);
}

} // namespace volmarin
