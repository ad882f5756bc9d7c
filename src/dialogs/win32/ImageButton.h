// The picture buttons beside the location box (one folder up, list view, details view): owner
// drawn with one of two 16 x 16 icons of the component's resources. A push button looks pressed
// while it is held; a latched button shows its state: up, down, or up with the disabled picture.
// Each remembers the window that had the focus before it, which gets the focus back after a
// click.
#pragma once

#include <cstdint>

#include "dialogs/ImageButtonState.h"
#include "dialogs/win32/DialogApi.h"

namespace tq {

class CImageButton : public CImageButtonState {
public:
    CImageButton() = default;
    ~CImageButton();
    CImageButton(const CImageButton&) = delete;
    CImageButton& operator=(const CImageButton&) = delete;

    // The button of the dialog and its icons (resource ids; the same for both looks).
    void Attach(HWND hButton, int32_t nNormalIcon, int32_t nDisabledIcon);
    HWND GetHwnd() const { return m_hButton; }
    void SetState(int32_t nState);
    void Draw(const DRAWITEMSTRUCT& item) const;
    // After a click: the focus back to where it was before the button took it.
    void GiveFocusBack() const;

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR nId, DWORD_PTR pData);

    HWND m_hButton = nullptr;
    HICON m_hNormal = nullptr;
    HICON m_hDisabled = nullptr;
    HWND m_hPreviousFocus = nullptr;
};

}  // namespace tq
