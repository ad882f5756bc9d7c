// The application name field of the name page and the edit dialog: at most 256 characters, the
// input method open while it has the focus (a Japanese name is typed here).
#pragma once

#include <string>

#include "dialogs/win32/DialogApi.h"

namespace tq {

class CAppNameEdit {
public:
    void Attach(HWND hEdit);
    HWND GetHwnd() const { return m_hEdit; }
    // The text in code page 932; false when a character has no form there.
    bool GetNameText(std::string& strText) const;
    void SetNameText(const std::string& strText);
    // Puts the caret before the character at byte nByte of the code page text, in view.
    void SetCaretAtByte(const std::string& strText, size_t nByte);
    void Focus() const;
    // The field's notification (from the dialog's WM_COMMAND).
    void OnNotification(int32_t nCode) const;

private:
    HWND m_hEdit = nullptr;
};

}  // namespace tq
