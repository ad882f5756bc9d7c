#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include <initializer_list>

#include "dialogs/win32/ImageButton.h"
#include "dialogs/win32/WinDialog.h"

namespace tq {

namespace {

HICON LoadSmallIcon(int32_t nId) {
    return static_cast<HICON>(
        ::LoadImageW(GetDialogModule(), MAKEINTRESOURCEW(nId), IMAGE_ICON, 16, 16, 0));
}

}  // namespace

CImageButton::~CImageButton() {
    if (m_hButton != nullptr) {
        ::RemoveWindowSubclass(m_hButton, SubclassProc, 0);
    }
    for (HICON hIcon : {m_hNormal, m_hDisabled}) {
        if (hIcon != nullptr) {
            ::DestroyIcon(hIcon);
        }
    }
}

void CImageButton::Attach(HWND hButton, int32_t nNormalIcon, int32_t nDisabledIcon) {
    m_hButton = hButton;
    m_hNormal = LoadSmallIcon(nNormalIcon);
    m_hDisabled = LoadSmallIcon(nDisabledIcon);
    ::SetWindowSubclass(m_hButton, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK CImageButton::SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR pData) {
    if (nMsg == WM_SETFOCUS) {
        reinterpret_cast<CImageButton*>(pData)->m_hPreviousFocus = reinterpret_cast<HWND>(wParam);
    }
    return ::DefSubclassProc(hWnd, nMsg, wParam, lParam);
}

void CImageButton::SetState(int32_t nState) {
    m_nState = nState;
    if (m_nKind == kLatched) {
        ::EnableWindow(m_hButton, nState != kUpDisabled);
    }
    ::InvalidateRect(m_hButton, nullptr, TRUE);
    ::UpdateWindow(m_hButton);
}

void CImageButton::Draw(const DRAWITEMSTRUCT& item) const {
    const bool bDisabled = (item.itemState & ODS_DISABLED) != 0;
    bool bSunken = false;
    bool bDisabledLook = false;
    if (m_nKind == kPush) {
        bSunken = (item.itemState & ODS_SELECTED) != 0 && (item.itemState & ODS_FOCUS) != 0;
        bDisabledLook = bDisabled;
    } else {
        bSunken = m_nState == kDown;
        bDisabledLook = m_nState == kUpDisabled;
    }
    RECT rc = item.rcItem;
    ::FillRect(item.hDC, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    // Raised: highlight and dark shadow outside, light and shadow inside; sunken the reverse.
    ::DrawEdge(item.hDC, &rc, bSunken ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int x = (rc.left + rc.right - 16) / 2 + (bSunken ? 1 : 0);
    const int y = (rc.top + rc.bottom - 16) / 2 + (bSunken ? 1 : 0);
    ::DrawIconEx(item.hDC, x, y, bDisabledLook ? m_hDisabled : m_hNormal, 16, 16, 0, nullptr,
                 DI_NORMAL);
}

void CImageButton::GiveFocusBack() const {
    if (m_hPreviousFocus != nullptr && ::IsWindow(m_hPreviousFocus) && ::GetFocus() == m_hButton) {
        ::SetFocus(m_hPreviousFocus);
    }
}

}  // namespace tq
