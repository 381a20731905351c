#pragma once

namespace volmarin {

// Asks the X server to report a held key as presses only, with one release when it is let
// go. By default X's auto-repeat sends a release and a press for every repeat, and Qt tells
// those apart from real releases only when the press has already arrived; handlers that act
// on a key's release (paging in the viewer, the catalogue's key release) would then act a
// varying number of times for one held key. Returns whether the server agreed; off X11
// (offscreen, Wayland) there is nothing to ask and the answer is false.
bool askForOneReleasePerHeldKey();

} // namespace volmarin
