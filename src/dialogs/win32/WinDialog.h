// A modal dialog of the component's templates on the system's dialog manager: the template by
// its id, the messages to virtual handlers, and the keys of its own loop to PreTranslate before
// the dialog manager sees them (the dialog's loop calls the thread's message filter). The open
// dialogs of a thread are known innermost first, for a host's nested call and for the tests.
#pragma once

#include <cstdint>

#include "dialogs/win32/DialogApi.h"

namespace tq {

// The module that holds the templates and icons: the one this code is linked into.
HINSTANCE GetDialogModule();

class CWinDialog {
public:
    CWinDialog() = default;
    virtual ~CWinDialog() = default;
    CWinDialog(const CWinDialog&) = delete;
    CWinDialog& operator=(const CWinDialog&) = delete;

    // Shows the template modally over hParent (may be null) until End: its result, or -1 when
    // the window could not be made (no display).
    INT_PTR Run(HWND hParent, int32_t nTemplate);
    void End(INT_PTR nResult);

    HWND GetHwnd() const { return m_hWnd; }
    HWND Item(int32_t nId) const { return ::GetDlgItem(m_hWnd, nId); }
    int32_t GetTemplate() const { return m_nTemplate; }
    // The innermost dialog open on this thread, or null.
    static CWinDialog* GetTop();

    // The dialog's own key handling, called from its loop (and by tests with a message of
    // their own); true when the message was taken.
    virtual bool PreTranslate(MSG& /*msg*/) { return false; }

protected:
    // The focus is set by the handler when it answers FALSE.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnCommand(int32_t /*nId*/, int32_t /*nCode*/, HWND /*hControl*/) {}
    // A message of its own: true when handled, with the dialog procedure's answer in result.
    virtual bool OnMessage(UINT /*nMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                           INT_PTR& /*result*/) {
        return false;
    }
    // When the window is about to go, whatever ended it.
    virtual void OnDestroy() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT nMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    int32_t m_nTemplate = 0;
    CWinDialog* m_pOuter = nullptr;
};

}  // namespace tq
