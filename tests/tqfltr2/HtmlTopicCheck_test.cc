#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/HtmlTextScanner.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

struct CHtmlCase {
    const char* m_pszName;
    std::string m_strHtml;
    bool m_bText;
};

const CHtmlCase kPages[] = {
    {"paragraph", "<html><head><title>T</title></head><body><p>Setup</p></body></html>", true},
    {"no markup at all", "plain words", true},
    {"broken markup", "<table><tr><td><td><b>bold</i></table", true},
    {"text after the body", "<html><body></body>after</html>", true},
    {"title only", "<html><head><title>Only a title</title></head><body></body></html>", false},
    {"blank body", "<body> \r\n&nbsp;&#x3000;<!-- a remark --></body>", false},
    {"script and style only", "<body><script>var a = 1;</script><style>b{}</style></body>", false},
    {"frameset", "<html><frameset><frame src=\"a.htm\"></frameset></html>", false},
    {"cut off in the head", "<html><head><title>Manual</title></h", false},
    {"unterminated comment", "<body><!-- never closed, words inside", false},
    {"shift_jis", "<meta charset=\"shift_jis\"><body>\x83\x7D\x83\x6A</body>", true},
    {"shift_jis ideographic space", "<meta charset=\"shift_jis\"><body>\x81\x40</body>", false},
    {"undeclared code page 932", "<body>\x83\x7D\x83\x6A</body>", true},
    {"utf-16le with mark", std::string("\xFF\xFE<\0b\0>\0A\0", 10), true},
};

class HtmlTopicCheckTest : public CTopicFileTest {};

TEST_F(HtmlTopicCheckTest, Pages) {
    for (const CHtmlCase& c : kPages) {
        EXPECT_EQ(PAS_HtmlHaveTopic(Write("a.html", c.m_strHtml).c_str()),
                  c.m_bText ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC)
            << c.m_pszName;
    }
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("a.htm", std::string("<p>a\0b", 6)).c_str()),
              TQFLTR2_DAMAGED);
    std::string strLong = "<style>" + std::string(200000, ' ') + "</style>";
    for (int i = 0; i < 20000; ++i) {
        strLong += "<div> </div>";
    }
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("a.htm", strLong + "<p>end").c_str()), TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("a.htm", strLong).c_str()), TQFLTR2_NO_TOPIC);
}

// The scanner sees a page in pieces (read from a file or decompressed from an archive); where
// a piece ends must not change the answer.
TEST(HtmlTextScannerTest, AnswerDoesNotDependOnPieces) {
    for (const CHtmlCase& c : kPages) {
        for (size_t cut : {size_t{1}, size_t{5}, c.m_strHtml.size() / 2}) {
            CHtmlTextScanner scanner;
            for (size_t pos = 0; pos < c.m_strHtml.size(); pos += cut) {
                scanner.Feed(std::string_view(c.m_strHtml).substr(pos, cut));
            }
            EXPECT_EQ(scanner.Finish(), c.m_bText) << c.m_pszName << " in pieces of " << cut;
        }
    }
}

}  // namespace
}  // namespace tq::test
