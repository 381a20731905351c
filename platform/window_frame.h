#pragma once

#include <QMargins>
#include <QRect>

#include <functional>
#include <optional>

class QWidget;
struct xcb_connection_t;

namespace volmarin {

// What the window manager is asked to give a window: its border, the buttons of its title
// bar and the entries of its window menu.
enum class WindowFrame {
    // A fixed dialog border with a title and a close box; no minimise or maximise box,
    // no resizing. The window menu holds Move and Close.
    Dialog,
    // The same without the close box: the window menu holds Move only.
    DialogWithoutClose,
    // No border at all; the window can be neither moved nor resized by the window manager.
    Borderless,
};

// The application's connection to the X server, or nullptr when it runs on none (offscreen,
// Wayland).
xcb_connection_t* x11Connection();

// Gives a top-level window its frame and keeps it: the Qt window flags, the window
// manager's hints written whenever the window is about to be mapped, and a refusal to stay
// minimised or maximised (some window managers offer those buttons whatever a window asks
// for, and a minimised dialog would hide the window the user has to answer). A
// transientFor window, if given, is the one it stacks above.
//
// Call it before the window is first shown and before its place is set: a window whose
// native window does not exist yet is placed by its outer frame, the way its place is
// stored.
void setWindowFrame(QWidget* window, WindowFrame frame, QWidget* transientFor = nullptr);

// Makes a window that setWindowFrame prepared stack above owner from now on: a window
// manager keeps it in front of owner and raises it with owner. Takes effect at once when
// the window is shown, else at its next showing.
void setStackingOwner(QWidget* window, QWidget* owner);

// The window that window stacks above, or nullptr.
QWidget* stackingOwnerOf(const QWidget* window);

// The frame a window manager draws around window, on each side, as it reports it once the
// window is shown; none without a window manager or before the first showing.
QMargins frameMarginsOf(const QWidget* window);

// Where the X server has window's outer frame now, asked of the server itself rather than
// of the toolkit's copy, which can lag behind a window manager that frames or moves a
// window without telling it: the window's own area on the screen, widened by the frame
// that the window manager declares (_NET_FRAME_EXTENTS). The extents are those the window
// manager declared, or none without one. Nothing when the window is not on an X server.
struct ServerFrame {
    QRect outer;
    QMargins extents;
};
std::optional<ServerFrame> serverFrameOf(const QWidget* window);

// The frame a window manager declares for window (_NET_FRAME_EXTENTS), none without one;
// nothing when the window is not on an X server. One question to the server.
std::optional<QMargins> declaredFrameOf(const QWidget* window);

// Calls changed, from the event loop, whenever a window manager declares a new frame for
// window (_NET_FRAME_EXTENTS), also one that frames the window without moving it, which the
// toolkit reports as no change at all. Does nothing when not on an X server.
void watchFrameExtents(QWidget* window, std::function<void()> changed);

} // namespace volmarin
