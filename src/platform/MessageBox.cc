#include "platform/MessageBox.h"

#include <atomic>

#include "platform/Cp932.h"
#include "platform/Environment.h"
#include "platform/Terminal.h"

namespace tq {

namespace {

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

// What the terminal shows: the caption, then the text.
std::string FormatBox(const std::string& strText, const std::string& strCaption) {
    // '[' as a character: GCC 12 at -O2 misreads a one-letter literal's insert as an overlap.
    return '[' + strCaption + "] " + strText;
}

// A host that answers every question up front (--yes / --no) also sets TQ_ANSWER=yes|no, so
// that a module carrying its own copy of this layer (one linked statically) answers alike.
CTerminalMessageBox::Mode DefaultMode() {
    std::string strAnswer;
    GetEnvironmentVariable("TQ_ANSWER", strAnswer);
    if (strAnswer == "yes") {
        return CTerminalMessageBox::Mode::AlwaysYes;
    }
    return strAnswer == "no" ? CTerminalMessageBox::Mode::AlwaysNo : CTerminalMessageBox::Mode::Ask;
}

CMessageBox& DefaultMessageBox() {
    static const CTerminalMessageBox::Mode s_mode = DefaultMode();
    static CTerminalMessageBox s_answering(s_mode);
    return s_mode == CTerminalMessageBox::Mode::Ask ? GetSystemMessageBox() : s_answering;
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
        CTerminal::WriteError(strBox + (answer == IDYES ? " -> Yes\n" : " -> No\n"));
        return answer;
    }
    CTerminal tty;
    if (!tty.Open(m_strTerminal, true)) {
        CTerminal::WriteError(strBox + " -> No (no terminal to ask on)\n");
        return IDNO;
    }
    tty.Write(strBox + "\n");
    while (true) {
        tty.Write("(y/n)? ");
        std::string strLine;
        if (!tty.ReadLine(strLine)) {
            tty.Write("\n");
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
    CTerminal tty;
    if (m_mode == Mode::Ask && tty.Open(m_strTerminal, false)) {
        tty.Write(strBox);
    } else {
        CTerminal::WriteError(strBox);
    }
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
