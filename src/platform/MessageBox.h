// Message boxes: the component's Yes/No questions and OK warnings, each with a caption (the
// product's display name). Texts and captions are code page 932. The process has one current
// message box; the host chooses it (the terminal one for the command line, a scripted one in
// tests, a dialog one in the GUI).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tq {

// The answers of MessageBox on Windows.
constexpr int32_t IDOK = 1;
constexpr int32_t IDYES = 6;
constexpr int32_t IDNO = 7;

class CMessageBox {
public:
    virtual ~CMessageBox() = default;
    // A question with Yes and No buttons and a question icon: IDYES or IDNO.
    virtual int32_t AskYesNo(const std::string& strText, const std::string& strCaption) = 0;
    // A warning with an OK button and an exclamation icon.
    virtual void ShowWarning(const std::string& strText, const std::string& strCaption) = 0;
};

// Asks on the terminal (/dev/tty on Linux, the console on Windows), so that the questions reach
// the user even when standard input and output are redirected. Without a terminal every
// question is answered No, so that nothing is changed behind the back of a script; a host may
// answer every question up front (--yes / --no). Warnings go to the terminal, else to standard
// error. strTerminal names another terminal device; empty means the process's own.
class CTerminalMessageBox : public CMessageBox {
public:
    enum class Mode { Ask, AlwaysYes, AlwaysNo };

    explicit CTerminalMessageBox(Mode mode = Mode::Ask, std::string strTerminal = {});
    int32_t AskYesNo(const std::string& strText, const std::string& strCaption) override;
    void ShowWarning(const std::string& strText, const std::string& strCaption) override;

private:
    Mode m_mode;
    std::string m_strTerminal;
};

// For tests: answers questions from a queue (IDNO once it is empty) and records every text shown.
class CScriptedMessageBox : public CMessageBox {
public:
    struct CShown {
        bool m_bQuestion = false;
        std::string m_strText;
        std::string m_strCaption;
    };

    void PushAnswer(int32_t answer) { m_answers.push_back(answer); }
    int32_t AskYesNo(const std::string& strText, const std::string& strCaption) override;
    void ShowWarning(const std::string& strText, const std::string& strCaption) override;

    const std::vector<CShown>& GetShown() const { return m_shown; }
    size_t GetPendingAnswers() const { return m_answers.size(); }

private:
    std::deque<int32_t> m_answers;
    std::vector<CShown> m_shown;
};

// The system's message box: on Windows MessageBoxA owned by the host's active window; on Linux,
// which has none outside a toolkit, the terminal one.
CMessageBox& GetSystemMessageBox();

// The current message box until a host sets another: on Linux a terminal one, on Windows the
// system's message box owned by the host's active window; a terminal one that answers up front
// on both when the environment holds TQ_ANSWER=yes or TQ_ANSWER=no.
CMessageBox& GetMessageBox();
// Makes pBox current (it must outlive its use; null restores the default) and returns the
// previous one.
CMessageBox* SetMessageBox(CMessageBox* pBox);

// Makes a message box current for a scope (a test, a host's run) and restores the previous one.
class CMessageBoxScope {
public:
    explicit CMessageBoxScope(CMessageBox& box) : m_pPrevious(SetMessageBox(&box)) {}
    ~CMessageBoxScope() { SetMessageBox(m_pPrevious); }
    CMessageBoxScope(const CMessageBoxScope&) = delete;
    CMessageBoxScope& operator=(const CMessageBoxScope&) = delete;

private:
    CMessageBox* m_pPrevious;
};

}  // namespace tq
