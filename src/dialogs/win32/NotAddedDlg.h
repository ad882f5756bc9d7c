// The report of files an add action could not take: the display names of the refused files, one
// a line, under the product's name, with the warning icon.
#pragma once

#include <string>

#include "dialogs/win32/WinDialog.h"

namespace tq {

class CNotAddedDlg : public CWinDialog {
public:
    explicit CNotAddedDlg(std::string strProductName)
        : m_strProductName(std::move(strProductName)) {}
    // The refused names, joined by CR LF.
    void SetText(std::string strNames) { m_strNames = std::move(strNames); }

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int32_t nId, int32_t nCode, HWND hControl) override;

private:
    std::string m_strProductName;
    std::string m_strNames;
};

}  // namespace tq
