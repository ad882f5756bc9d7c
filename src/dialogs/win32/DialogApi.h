// The system's headers of the dialogs on Windows: the platform layer's door to the system
// (SystemApi.h, which takes back the macros of the names the project declares) after the
// headers of the common controls, the shell, the input method and the message crackers, which
// need those macros while they are read.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
// windows.h first: the others build on it.
#include <commctrl.h>
#include <imm.h>
#include <shellapi.h>
#include <windowsx.h>

#include "platform/win32/SystemApi.h"

namespace tq {

// The system's cursors the dialogs show, by number: IDC_WAIT and IDC_APPSTARTING are narrow
// resource names in a build without UNICODE, and the dialogs load them with LoadCursorW.
inline HCURSOR LoadWaitCursor() {
    return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
}
inline HCURSOR LoadBusyCursor() {  // the arrow with the hourglass: busy, still usable
    return ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32650));
}

}  // namespace tq
