// The terminal of Terminal.h on Windows: the console (CONIN$, CONOUT$), which takes code page
// 932 as it is under a Japanese system; and the system's message box.
#include "platform/win32/SystemApi.h"

#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/Terminal.h"

namespace tq {

namespace {

void WriteAll(HANDLE h, const std::string& strText) {
    DWORD written = 0;
    for (size_t done = 0; done < strText.size(); done += written) {
        if (!::WriteFile(h, strText.data() + done, static_cast<DWORD>(strText.size() - done),
                         &written, nullptr) ||
            written == 0) {
            return;
        }
    }
}

HANDLE OpenDevice(const std::string& strName, DWORD access) {
    return ::CreateFileA(strName.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
}

// Questions on MessageBoxA, owned by the host's active window so that they stay above it.
class CSystemMessageBox : public CMessageBox {
public:
    int32_t AskYesNo(const std::string& strText, const std::string& strCaption) override {
        return Show(strText, strCaption, MB_YESNO | MB_ICONQUESTION) == IDYES ? IDYES : IDNO;
    }
    void ShowWarning(const std::string& strText, const std::string& strCaption) override {
        Show(strText, strCaption, MB_OK | MB_ICONEXCLAMATION);
    }

private:
    static int Show(const std::string& strText, const std::string& strCaption, UINT type) {
        return ::MessageBoxA(::GetActiveWindow(), strText.c_str(), strCaption.c_str(), type);
    }
};

}  // namespace

CTerminal::~CTerminal() {
    for (intptr_t h : {m_in, m_out}) {
        if (h != -1) {
            ::CloseHandle(reinterpret_cast<HANDLE>(h));
        }
    }
}

bool CTerminal::Open(const std::string& strName, bool bRead) {
    HANDLE hOut = OpenDevice(strName.empty() ? "CONOUT$" : strName, GENERIC_READ | GENERIC_WRITE);
    m_out = reinterpret_cast<intptr_t>(hOut);
    if (hOut == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (bRead) {
        HANDLE hIn = OpenDevice(strName.empty() ? "CONIN$" : strName, GENERIC_READ | GENERIC_WRITE);
        m_in = reinterpret_cast<intptr_t>(hIn);
        return hIn != INVALID_HANDLE_VALUE;
    }
    return true;
}

void CTerminal::Write(const std::string& strText) {
    WriteAll(reinterpret_cast<HANDLE>(m_out), strText);
}

bool CTerminal::ReadLine(std::string& strLine) {
    strLine.clear();
    char c = 0;
    DWORD n = 0;
    while (::ReadFile(reinterpret_cast<HANDLE>(m_in), &c, 1, &n, nullptr) && n == 1) {
        if (c == '\n') {
            return true;
        }
        if (c != '\r') {
            strLine += c;
        }
    }
    return false;
}

void CTerminal::WriteError(const std::string& strText) {
    WriteAll(::GetStdHandle(STD_ERROR_HANDLE), strText);
}

CMessageBox& GetSystemMessageBox() {
    static CSystemMessageBox s_box;
    return s_box;
}

}  // namespace tq
