#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/win32/WinDialog.h"

namespace tq {

namespace {

thread_local CWinDialog* t_pTop = nullptr;
thread_local HHOOK t_hFilter = nullptr;

// Keys of a dialog's own loop (and of nothing else: a message box's loop is left alone) go to
// the innermost dialog of the thread first.
LRESULT CALLBACK MessageFilter(int nCode, WPARAM wParam, LPARAM lParam) {
    auto* pMsg = reinterpret_cast<MSG*>(lParam);
    if (nCode == MSGF_DIALOGBOX && t_pTop != nullptr && pMsg != nullptr &&
        (pMsg->hwnd == t_pTop->GetHwnd() || ::IsChild(t_pTop->GetHwnd(), pMsg->hwnd)) &&
        t_pTop->PreTranslate(*pMsg)) {
        return 1;
    }
    return ::CallNextHookEx(t_hFilter, nCode, wParam, lParam);
}

}  // namespace

HINSTANCE GetDialogModule() {
    HMODULE hModule = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&GetDialogModule), &hModule);
    return hModule;
}

CWinDialog* CWinDialog::GetTop() {
    return t_pTop;
}

INT_PTR CWinDialog::Run(HWND hParent, int32_t nTemplate) {
    m_nTemplate = nTemplate;
    m_pOuter = t_pTop;
    t_pTop = this;
    if (m_pOuter == nullptr) {
        t_hFilter =
            ::SetWindowsHookExW(WH_MSGFILTER, MessageFilter, nullptr, ::GetCurrentThreadId());
    }
    INT_PTR nResult = ::DialogBoxParamW(GetDialogModule(), MAKEINTRESOURCEW(nTemplate), hParent,
                                        DialogProc, reinterpret_cast<LPARAM>(this));
    t_pTop = m_pOuter;
    if (m_pOuter == nullptr && t_hFilter != nullptr) {
        ::UnhookWindowsHookEx(t_hFilter);
        t_hFilter = nullptr;
    }
    m_hWnd = nullptr;
    return nResult;
}

void CWinDialog::End(INT_PTR nResult) {
    if (m_hWnd != nullptr) {
        ::EndDialog(m_hWnd, nResult);
    }
}

INT_PTR CALLBACK CWinDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_INITDIALOG) {
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CWinDialog*>(lParam)->m_hWnd = hWnd;
    }
    auto* pDialog = reinterpret_cast<CWinDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    return pDialog != nullptr ? pDialog->Handle(nMsg, wParam, lParam) : FALSE;
}

INT_PTR CWinDialog::Handle(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    switch (nMsg) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default:
            break;
    }
    if (OnMessage(nMsg, wParam, lParam, result)) {
        // An answer other than TRUE/FALSE (a notification's) goes through the window's result.
        if (nMsg == WM_NOTIFY) {
            ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return result;
    }
    return FALSE;
}

}  // namespace tq
