// The terminal of the Linux emulation's message boxes: a terminal device, in UTF-8.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "platform/MessageBox.h"

namespace tq {
namespace {

// "アプリ" in code page 932 and UTF-8.
const std::string kTextCp932 = "\x83\x41\x83\x76\x83\x8A";
const std::string kTextUtf8 = "\xE3\x82\xA2\xE3\x83\x97\xE3\x83\xAA";

// The user's terminal, with the user's input typed ahead.
struct CPseudoTerminal {
    explicit CPseudoTerminal(const std::string& strTyped) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0) {
            fcntl(m_master, F_SETFL, O_NONBLOCK);  // reading the screen must not wait
            m_strSlave = ptsname(m_master);
            m_slave = open(m_strSlave.c_str(), O_RDWR | O_NOCTTY);
            EXPECT_EQ(write(m_master, strTyped.data(), strTyped.size()),
                      static_cast<ssize_t>(strTyped.size()));
        }
    }
    ~CPseudoTerminal() {
        close(m_slave);  // -1 when never opened: nothing to close
        close(m_master);
    }
    std::string Screen() {
        std::string out;
        char buf[512];
        for (ssize_t n; (n = read(m_master, buf, sizeof buf)) > 0;) {
            out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }

    int m_master = -1;
    int m_slave = -1;
    std::string m_strSlave;
};

TEST(MessageBoxTest, TerminalAsksUntilItGetsAnAnswerAndShowsWarnings) {
    const std::pair<const char*, int32_t> cases[] = {
        {"y\n", IDYES},          {" YES \n", IDYES},      {"n\n", IDNO},
        {"maybe\n\nNo\n", IDNO}, {"perhaps\ny\n", IDYES}, {"\x04", IDNO}};  // \x04: end of input
    for (const auto& [pszTyped, answer] : cases) {
        SCOPED_TRACE(pszTyped);
        CPseudoTerminal tty(pszTyped);
        if (tty.m_slave < 0) {
            GTEST_SKIP() << "no pseudo-terminal available to stand in for the user's terminal";
        }
        CTerminalMessageBox box(CTerminalMessageBox::Mode::Ask, tty.m_strSlave);
        EXPECT_EQ(box.AskYesNo(kTextCp932, "Trellisquest"), answer);
        std::string screen = tty.Screen();
        EXPECT_NE(screen.find("[Trellisquest] " + kTextUtf8), std::string::npos) << screen;
        EXPECT_NE(screen.find("(y/n)? "), std::string::npos) << screen;
        box.ShowWarning(kTextCp932, "Cap");
        EXPECT_NE(tty.Screen().find("[Cap] " + kTextUtf8), std::string::npos);
    }
    testing::internal::CaptureStderr();  // answered up front: warnings go to the error output
    CTerminalMessageBox(CTerminalMessageBox::Mode::AlwaysNo).ShowWarning("careful", "Cap");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[Cap] careful"), std::string::npos);
}

}  // namespace
}  // namespace tq
