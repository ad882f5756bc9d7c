#include "platform/Terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Cp932.h"
#include "platform/MessageBox.h"

namespace tq {

namespace {

// Terminals on Linux take UTF-8.
void WriteAll(int fd, const std::string& strText) {
    const std::string str = Cp932ToUtf8Lossy(strText);
    size_t done = 0;
    while (done < str.size()) {
        ssize_t n = write(fd, str.data() + done, str.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace

CTerminal::~CTerminal() {
    if (m_out >= 0) {
        close(static_cast<int>(m_out));
    }
}

bool CTerminal::Open(const std::string& strName, bool bRead) {
    const std::string strDevice = strName.empty() ? "/dev/tty" : strName;
    m_out = open(strDevice.c_str(), (bRead ? O_RDWR : O_WRONLY) | O_NOCTTY | O_CLOEXEC);
    m_in = bRead ? m_out : -1;
    return m_out >= 0;
}

void CTerminal::Write(const std::string& strText) {
    WriteAll(static_cast<int>(m_out), strText);
}

bool CTerminal::ReadLine(std::string& strLine) {
    strLine.clear();
    char c = 0;
    while (true) {
        ssize_t n = read(static_cast<int>(m_in), &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        if (c == '\n') {
            return true;
        }
        if (c != '\r') {
            strLine += c;
        }
    }
}

void CTerminal::WriteError(const std::string& strText) {
    WriteAll(STDERR_FILENO, strText);
}

CMessageBox& GetSystemMessageBox() {
    static CTerminalMessageBox s_box;
    return s_box;
}

}  // namespace tq
