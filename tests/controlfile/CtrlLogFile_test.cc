#include "controlfile/CtrlLogFile.h"

#include <gtest/gtest.h>

#include <regex>

#include "CtrlTestUtil.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

class CtrlLogFileFileTest : public ::testing::Test {
protected:
    std::string Log() const { return test::ReadLinuxFile(m_prefix.Path("log.txt")); }
    test::CTempPrefix m_prefix;
    const std::string m_strLog = test::WinPath(m_prefix.Path("log.txt"));
};

TEST_F(CtrlLogFileFileTest, StartLineMessagesAndClose) {
    CCtrlLogFile log;
    std::string line = "Doc=x";
    EXPECT_EQ(log.Message(IDS_LOG_BAD_LINE, &line), 0);  // not started: nothing written
    EXPECT_EQ(log.Start(""), 0);
    EXPECT_FALSE(log.IsEnabled());
    ASSERT_EQ(log.Start(m_strLog), 0);
    EXPECT_EQ(log.Message(IDS_LOG_BAD_LINE, &line), 1);
    // Each message is on the disk at once.
    std::string text = Log();
    std::regex start("OutputLogStart \\d{4}/\\d{1,2}/\\d{1,2} \\d{1,2}:\\d{1,2}:\\d{1,2}\r\n\r\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(text, m, start)) << text;
    EXPECT_EQ(m.position(0), 0);
    EXPECT_EQ(text.substr(m.length(0)), FormatLogMessage(IDS_LOG_BAD_LINE, &line) + "\r\n");
    EXPECT_EQ(FormatLogMessage(IDS_LOG_BAD_LINE_IN, &line, &line).find('%'), std::string::npos);
    EXPECT_EQ(CCtrlLogCollector().Message(9999), 0);  // no such message: nothing kept
    // The log denies other writers while it is open.
    CFile other;
    EXPECT_NE(
        other.Open(m_strLog, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), 0);
    log.Close();
    EXPECT_FALSE(log.IsEnabled());
    EXPECT_EQ(log.Message(IDS_LOG_BAD_LINE, &line), 0);
}

TEST_F(CtrlLogFileFileTest, TheReaderLogsFromTheOutputLogLineOnAndClosesAtTheEnd) {
    test::WriteLinuxFile(m_prefix.Path("base.ctl"),
                         "Unknown1 = a\r\nOutputLog = \"" + m_strLog +
                             "\"\r\nUnknown2 = b\r\nGroup1=G\r\n[A]\r\nGroup=1\r\n");
    CCtrlModel model;
    CCtrlLogFile log;
    CFile file;
    EXPECT_EQ(CCtrlReader(model, &log).Load(file, test::WinPath(m_prefix.Path("base.ctl"))),
              TQE_BASE_INVALID);
    EXPECT_FALSE(log.IsEnabled());
    std::string text = Log();
    EXPECT_EQ(text.substr(text.find("\r\n\r\n") + 4), test::Msg(IDS_LOG_SKIPPED, "Unknown2 = b") +
                                                          "\r\n" + test::Msg(IDS_LOG_NO_DOCS, "A") +
                                                          "\r\n");
}

}  // namespace
}  // namespace tq
