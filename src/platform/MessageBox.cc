#include "platform/MessageBox.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/Cp932.h"

namespace tq {

namespace {

// Closes the terminal when the question is done.
class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

void WriteAll(int fd, const std::string& str) {
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

// One line from the terminal without its end; false at end of input or on an error.
bool ReadLine(int fd, std::string& strLine) {
    strLine.clear();
    char c = 0;
    while (true) {
        ssize_t n = read(fd, &c, 1);
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

// IDYES, IDNO, or 0 for an answer that is neither.
int32_t ParseAnswer(const std::string& strLine) {
    std::string word = ToLowerCp932(TrimWhite(strLine));
    if (word == "y" || word == "yes") {
        return IDYES;
    }
    if (word == "n" || word == "no") {
        return IDNO;
    }
    return 0;
}

// What the terminal shows: the caption, then the text, in the terminal's encoding (UTF-8).
std::string FormatBox(const std::string& strText, const std::string& strCaption) {
    // '[' as a character: GCC 12 at -O2 misreads a one-letter literal's insert as an overlap.
    return '[' + Cp932ToUtf8Lossy(strCaption) + "] " + Cp932ToUtf8Lossy(strText);
}

// A host that answers every question up front (--yes / --no) also sets TQ_ANSWER=yes|no, so
// that a module carrying its own copy of this layer (one linked statically) answers alike.
CTerminalMessageBox::Mode DefaultMode() {
    const char* psz = std::getenv("TQ_ANSWER");
    std::string strAnswer = psz != nullptr ? psz : "";
    if (strAnswer == "yes") {
        return CTerminalMessageBox::Mode::AlwaysYes;
    }
    return strAnswer == "no" ? CTerminalMessageBox::Mode::AlwaysNo : CTerminalMessageBox::Mode::Ask;
}

CTerminalMessageBox& DefaultMessageBox() {
    static CTerminalMessageBox s_box(DefaultMode());
    return s_box;
}

std::atomic<CMessageBox*> g_pCurrent{nullptr};

}  // namespace

CTerminalMessageBox::CTerminalMessageBox(Mode mode, std::string strTerminal)
    : m_mode(mode), m_strTerminal(std::move(strTerminal)) {}

int32_t CTerminalMessageBox::AskYesNo(const std::string& strText, const std::string& strCaption) {
    std::string strBox = FormatBox(strText, strCaption);
    if (m_mode != Mode::Ask) {
        // Answered up front; the log of a script still shows what was confirmed.
        int32_t answer = m_mode == Mode::AlwaysYes ? IDYES : IDNO;
        WriteAll(STDERR_FILENO, strBox + (answer == IDYES ? " -> Yes\n" : " -> No\n"));
        return answer;
    }
    CFd tty(open(m_strTerminal.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (tty.Get() < 0) {
        WriteAll(STDERR_FILENO, strBox + " -> No (no terminal to ask on)\n");
        return IDNO;
    }
    WriteAll(tty.Get(), strBox + "\n");
    while (true) {
        WriteAll(tty.Get(), "(y/n)? ");
        std::string strLine;
        if (!ReadLine(tty.Get(), strLine)) {
            WriteAll(tty.Get(), "\n");
            return IDNO;
        }
        int32_t answer = ParseAnswer(strLine);
        if (answer != 0) {
            return answer;
        }
    }
}

void CTerminalMessageBox::ShowWarning(const std::string& strText, const std::string& strCaption) {
    std::string strBox = FormatBox(strText, strCaption) + "\n";
    CFd tty(m_mode == Mode::Ask ? open(m_strTerminal.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC)
                                : -1);
    WriteAll(tty.Get() >= 0 ? tty.Get() : STDERR_FILENO, strBox);
}

int32_t CScriptedMessageBox::AskYesNo(const std::string& strText, const std::string& strCaption) {
    m_shown.push_back({true, strText, strCaption});
    if (m_answers.empty()) {
        return IDNO;
    }
    int32_t answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void CScriptedMessageBox::ShowWarning(const std::string& strText, const std::string& strCaption) {
    m_shown.push_back({false, strText, strCaption});
}

CMessageBox& GetMessageBox() {
    CMessageBox* pBox = g_pCurrent.load();
    return pBox != nullptr ? *pBox : DefaultMessageBox();
}

CMessageBox* SetMessageBox(CMessageBox* pBox) {
    CMessageBox* pPrevious = g_pCurrent.exchange(pBox);
    return pPrevious != nullptr ? pPrevious : &DefaultMessageBox();
}

}  // namespace tq
