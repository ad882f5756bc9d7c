// Text between the component (code page 932) and the controls (UTF-16), and the few control
// calls every dialog makes: the texts of controls, the input method of a control.
#pragma once

#include <string>
#include <string_view>

#include "dialogs/win32/DialogApi.h"

namespace tq {

// Code page 932 text as the controls take it; a byte that is no character shows as U+30FB.
std::wstring WideFromCp932(std::string_view text);
// A control's text in code page 932: false when a character has no form there.
bool Cp932FromWide(std::wstring_view text, std::string& strOut);
// The same, with "?" for each character that has no form (for names shown in notes).
std::string Cp932FromWideLossy(std::wstring_view text);

std::wstring GetWindowTextWide(HWND hWnd);
void SetWindowTextCp932(HWND hWnd, std::string_view text);
// Opens or closes the input method of the control (its context, when it has one).
void SetInputMethodOpen(HWND hWnd, bool bOpen);

}  // namespace tq
