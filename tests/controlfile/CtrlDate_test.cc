#include "controlfile/CtrlDate.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(CtrlDateTest, ParseAndFormat) {
    struct {
        const char* m_pszText;
        const char* m_pszWritten;  // nullptr: invalid
    } cases[] = {
        {"3/15/2004 14:5:9", "3/15/2004 14:5:9"},
        {"03/05/2004 09:05:09", "3/5/2004 9:5:9"},
        {"2004/3/15 14:05:09", "3/15/2004 14:5:9"},
        {"2004-03-15 14:05", "3/15/2004 14:5:0"},
        {"12/31/1999", "12/31/1999 0:0:0"},
        {"2/29/2004 0:0:0", "2/29/2004 0:0:0"},
        {"1/1/1899 1:1:1", "1/1/1899 1:1:1"},  // parses, but is no date to write
        {"13/1/2004 1:1:1", nullptr},
        {"2/30/2004", nullptr},
        {"2/29/1900", nullptr},
        {"1/1/2004 24:0:0", nullptr},
        {"1/1/2004 1:60", nullptr},
        {"1/1/2004 1:1:1 PM", nullptr},
        {"1/1/20045", nullptr},
        {"garbage", nullptr},
        {"", nullptr},
        {"1//2004", nullptr},
        {"0/1/2004", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_pszText);
        CCtrlDate date;
        date.m_nYear = 1234;
        ParseCtrlDate(c.m_pszText, date);
        EXPECT_EQ(date.m_bValid, c.m_pszWritten != nullptr);
        if (c.m_pszWritten != nullptr) {
            EXPECT_EQ(FormatCtrlDate(date), c.m_pszWritten);
        } else {
            EXPECT_FALSE(date.IsWritable());
            EXPECT_EQ(date.m_nYear, 0);
        }
    }
    CCtrlDate old;
    old.m_nYear = 1899;
    EXPECT_FALSE(old.IsWritable());
    EXPECT_FALSE(CCtrlDate{}.IsWritable());  // the zero date is no date
}

TEST(CtrlDateTest, DaysInMonth) {
    EXPECT_EQ(DaysInMonth(2004, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2001, 4), 30);
    EXPECT_EQ(DaysInMonth(2001, 13), 0);
}

}  // namespace
}  // namespace tq
