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
