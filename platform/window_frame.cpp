#include "platform/window_frame.h"

#include <QAbstractNativeEventFilter>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace volmarin {

namespace {

// The Motif window manager hints, the one description of a frame that most window
// managers read: which functions the window manager may offer and which parts it draws.
enum : std::uint32_t {
    HintFunctions = 1,
    HintDecorations = 2,
    FunctionMove = 4,
    FunctionClose = 32,
    DecorationBorder = 2,
    DecorationTitle = 8,
    DecorationMenu = 16,
};

struct MotifHints {
    std::uint32_t functions;
    std::uint32_t decorations;
};

MotifHints motifHints(WindowFrame frame) {
    switch (frame) {
    case WindowFrame::Dialog:
        return {FunctionMove | FunctionClose, DecorationBorder | DecorationTitle | DecorationMenu};
    case WindowFrame::DialogWithoutClose:
        return {FunctionMove, DecorationBorder | DecorationTitle | DecorationMenu};
    case WindowFrame::Borderless:
        break;
    }
    return {FunctionClose, 0};
}

Qt::WindowFlags qtFlags(WindowFrame frame) {
    const Qt::WindowFlags titled =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    switch (frame) {
    case WindowFrame::Dialog:
        return Qt::Dialog | titled | Qt::WindowCloseButtonHint;
    case WindowFrame::DialogWithoutClose:
        return Qt::Dialog | titled;
    case WindowFrame::Borderless:
        break;
    }
    return Qt::Window | Qt::FramelessWindowHint;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

// Replaces Qt's own hints before the window is mapped, which is when a window manager
// reads them. Qt derives its Motif hints from the window flags, in which a dialog without
// a close box leaves every function to the window manager. And a dialog's window type
// lets window managers offer minimising, which some (openbox, for one) grant whatever the
// Motif hints say; a dialog of this program is answered, never put away, so a dialog is
// described by the type whose windows stay with their main window and are neither
// minimised nor maximised, with the dialog type after it for window managers that do not
// know it.
void writeWindowManagerHints(QWidget* window, WindowFrame frame) {
    xcb_connection_t* connection = x11Connection();
    if (!connection) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t motif = atom(connection, "_MOTIF_WM_HINTS");
    const MotifHints hints = motifHints(frame);
    const std::array<std::uint32_t, 5> motifData{HintFunctions | HintDecorations, hints.functions,
                                                 hints.decorations, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, motif, motif, 32, motifData.size(),
                        motifData.data());
    if (frame == WindowFrame::Dialog || frame == WindowFrame::DialogWithoutClose) {
        const std::array<xcb_atom_t, 2> types{atom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                              atom(connection, "_NET_WM_WINDOW_TYPE_DIALOG")};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id,
                            atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                            types.size(), types.data());
    }
    xcb_flush(connection);
}

// Names the window that window stacks above, for the window manager: Qt writes it only
// when a window is mapped, and a shown window may change owners.
void writeTransientFor(QWidget* window, QWidget* owner) {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window->windowHandle()) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (!owner || !owner->windowHandle()) {
        xcb_delete_property(connection, id, XCB_ATOM_WM_TRANSIENT_FOR);
    } else {
        const auto ownerId = static_cast<xcb_window_t>(owner->winId());
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_TRANSIENT_FOR,
                            XCB_ATOM_WINDOW, 32, 1, &ownerId);
    }
    xcb_flush(connection);
}

class FrameKeeper : public QObject {
public:
    FrameKeeper(QWidget* window, WindowFrame frame, QWidget* transientFor)
        : QObject(window), window_(window), frame_(frame), transientFor_(transientFor) {
        setObjectName(QString::fromLatin1(Name));
    }

    // How a window's keeper is found again among its children.
    static constexpr const char* Name = "volmarin-frame-keeper";

    // The keeper that setWindowFrame gave window, if any.
    static FrameKeeper* of(const QWidget* window) {
        return static_cast<FrameKeeper*>(
            window->findChild<QObject*>(QString::fromLatin1(Name), Qt::FindDirectChildrenOnly));
    }

    QWidget* owner() const { return transientFor_; }

    void setOwner(QWidget* owner) {
        if (owner == transientFor_) {
            return;
        }
        transientFor_ = owner;
        if (window_ && window_->isVisible()) {
            applyOwner();
            writeTransientFor(window_, owner);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_) {
            return false;
        }
        if (event->type() == QEvent::Show) {
            // The native window exists now and is mapped right after this event.
            applyOwner();
            writeWindowManagerHints(window_, frame_);
            if (frame_ == WindowFrame::Borderless && transientFor_) {
                // Qt names the owner of dialogs only, and clears it for other windows as
                // it maps them: named once the mapping is done.
                QTimer::singleShot(0, this, [this] {
                    if (window_ && window_->isVisible()) {
                        writeTransientFor(window_, transientFor_);
                    }
                });
            }
        } else if (event->type() == QEvent::WindowStateChange) {
            const Qt::WindowStates refused =
                Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
            if (window_->windowState() & refused) {
                // After the state change has run its course, not inside it.
                QTimer::singleShot(0, this, [this] { restore(); });
            }
        }
        return false;
    }

private:
    void applyOwner() {
        if (QWindow* handle = window_->windowHandle()) {
            handle->setTransientParent(transientFor_ ? transientFor_->windowHandle() : nullptr);
        }
    }

    void restore() {
        if (!window_ || !window_->isVisible()) {
            return;
        }
        // A window manager may have minimised the whole family with the dialog.
        if (transientFor_ && transientFor_->isMinimized()) {
            transientFor_->setWindowState(transientFor_->windowState() & ~Qt::WindowMinimized);
            transientFor_->show();
        }
        window_->setWindowState(Qt::WindowNoState);
        window_->show();
        window_->raise();
        window_->activateWindow();
    }

    QPointer<QWidget> window_;
    WindowFrame frame_;
    QPointer<QWidget> transientFor_;
};

} // namespace

xcb_connection_t* x11Connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

void setWindowFrame(QWidget* window, WindowFrame frame, QWidget* transientFor) {
    window->setWindowFlags(qtFlags(frame));
    window->installEventFilter(new FrameKeeper(window, frame, transientFor));
}

void setStackingOwner(QWidget* window, QWidget* owner) {
    if (FrameKeeper* keeper = FrameKeeper::of(window)) {
        keeper->setOwner(owner);
    }
}

QWidget* stackingOwnerOf(const QWidget* window) {
    const FrameKeeper* keeper = FrameKeeper::of(window);
    return keeper ? keeper->owner() : nullptr;
}

QMargins frameMarginsOf(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

std::optional<QMargins> declaredFrameOf(const QWidget* window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window->windowHandle() || !window->testAttribute(Qt::WA_WState_Created))
        return std::nullopt;
    static const xcb_atom_t extentsAtom = atom(connection, "_NET_FRAME_EXTENTS");
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_get_property_reply_t* extents = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, extentsAtom, XCB_ATOM_CARDINAL, 0, 4),
        nullptr);
    QMargins declared;
    if (extents && xcb_get_property_value_length(extents) == 16) {
        const auto* value = static_cast<const std::uint32_t*>(xcb_get_property_value(extents));
        // left, right, top, bottom
        declared = QMargins(int(value[0]), int(value[2]), int(value[1]), int(value[3]));
    }
    std::free(extents);
    return declared;
}

std::optional<ServerFrame> serverFrameOf(const QWidget* window) {
    const std::optional<QMargins> extents = declaredFrameOf(window);
    if (!extents)
        return std::nullopt;
    xcb_connection_t* connection = x11Connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    if (!geometry)
        return std::nullopt;
    const xcb_window_t root = geometry->root;
    const QSize size(geometry->width, geometry->height);
    std::free(geometry);
    xcb_translate_coordinates_reply_t* origin = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, id, root, 0, 0), nullptr);
    if (!origin)
        return std::nullopt;
    const QRect inner(QPoint(origin->dst_x, origin->dst_y), size);
    std::free(origin);
    return ServerFrame{inner.marginsAdded(*extents), *extents};
}

namespace {

// Lives as long as the window it watches (a child of it), and leaves the application's
// filters when it goes.
class FrameExtentsWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    FrameExtentsWatcher(QWidget* window, xcb_atom_t extents, std::function<void()> changed)
        : QObject(window), window_(window), extents_(extents), changed_(std::move(changed)) {}

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (notify->atom == extents_ && window_->testAttribute(Qt::WA_WState_Created) &&
            notify->window == static_cast<xcb_window_t>(window_->winId())) {
            // Out of the native event's handling, once the toolkit has seen it too.
            QTimer::singleShot(0, this, changed_);
        }
        return false;
    }

private:
    QWidget* window_;
    xcb_atom_t extents_;
    std::function<void()> changed_;
};

} // namespace

void watchFrameExtents(QWidget* window, std::function<void()> changed) {
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    auto* watcher =
        new FrameExtentsWatcher(window, atom(connection, "_NET_FRAME_EXTENTS"), std::move(changed));
    QCoreApplication::instance()->installNativeEventFilter(watcher);
}

} // namespace volmarin
