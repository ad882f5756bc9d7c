#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/win32/AppNameEdit.h"

#include "dialogs/win32/WinText.h"

namespace tq {

namespace {
constexpr WPARAM kNameLimit = 256;
}  // namespace

void CAppNameEdit::Attach(HWND hEdit) {
    m_hEdit = hEdit;
    ::SendMessageW(m_hEdit, EM_LIMITTEXT, kNameLimit, 0);
}

bool CAppNameEdit::GetNameText(std::string& strText) const {
    return Cp932FromWide(GetWindowTextWide(m_hEdit), strText);
}

void CAppNameEdit::SetNameText(const std::string& strText) {
    SetWindowTextCp932(m_hEdit, strText);
}

void CAppNameEdit::SetCaretAtByte(const std::string& strText, size_t nByte) {
    const auto nAt =
        static_cast<WPARAM>(WideFromCp932(std::string_view(strText).substr(0, nByte)).size());
    ::SendMessageW(m_hEdit, EM_SETSEL, nAt, static_cast<LPARAM>(nAt));
    ::SendMessageW(m_hEdit, EM_SCROLLCARET, 0, 0);
}

void CAppNameEdit::Focus() const {
    ::SetFocus(m_hEdit);
}

void CAppNameEdit::OnNotification(int32_t nCode) const {
    if (nCode == EN_SETFOCUS) {
        SetInputMethodOpen(m_hEdit, true);
    }
}

}  // namespace tq
