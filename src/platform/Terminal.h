// The user's terminal, where the command line's questions and warnings go (MessageBox.h): a
// terminal device on Linux (/dev/tty), the console on Windows. Texts are code page 932 and
// reach the terminal in its own encoding.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class CTerminal {
public:
    CTerminal() = default;
    ~CTerminal();
    CTerminal(const CTerminal&) = delete;
    CTerminal& operator=(const CTerminal&) = delete;

    // Opens the terminal strName names (empty: the process's own) for writing, and for reading
    // too when bRead. False when it cannot be opened.
    bool Open(const std::string& strName, bool bRead);
    void Write(const std::string& strText);
    // One line typed on the terminal without its end; false at the end of input or on an error.
    bool ReadLine(std::string& strLine);

    // Writes to the process's standard error.
    static void WriteError(const std::string& strText);

private:
    intptr_t m_in = -1;
    intptr_t m_out = -1;
};

}  // namespace tq
