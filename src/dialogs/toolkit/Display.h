// Whether the toolkit has a display to show windows on. It ends the process when it cannot
// connect to the one it chose, so the component asks before it makes its application object for
// its dialogs, and the desktop window before it starts at all.
#pragma once

namespace tq {

// A platform other than X chosen through QT_QPA_PLATFORM answers for itself (offscreen,
// wayland, ...: the host chose it). Otherwise the toolkit connects to X (also in a Wayland
// session, when its own Wayland support is missing), so the answer is whether the X display in
// DISPLAY answers: a Wayland display alone is no display for it.
bool HasDisplay();

}  // namespace tq
