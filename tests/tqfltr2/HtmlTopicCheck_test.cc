#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/HtmlTextScanner.h"
#include "tqfltr2/HtmlTopicCheck.h"
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
    {"no body tag", "<html><head><title>T</title></head><p>x</p></html>", true},
    {"broken markup", "<body><table><tr><td>cell<td><b>bold</i></table", true},
    {"entity", "<body>&amp;</body>", true},
    {"text after the body", "<html><body></body>after</html>", true},
    {"title only", "<html><head><title>Only a title</title></head><body></body></html>", false},
    {"empty body", "<html><body>  \r\n </body></html>", false},
    {"no-break spaces", "<body>&nbsp; &#160;&#x3000;</body>", false},
    {"script and style only",
     "<html><head><style>p{}</style></head><body><script>var a = 1;</script>"
     "<style>b{}</style></body></html>",
     false},
    {"comment only", "<body><!-- a remark --></body>", false},
    {"frameset", "<html><frameset><frame src=\"a.htm\"></frameset></html>", false},
    {"empty", "", false},
    {"unterminated comment", "<body><!-- never closed, words inside", false},
    {"shift_jis page",
     "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
     "</head><body>\x83\x7D\x83\x6A\x83\x85\x83\x41\x83\x8B</body></html>",  // マニュアル
     true},
    {"shift_jis ideographic space", "<meta charset=\"shift_jis\"><body>\x81\x40</body>", false},
    {"undeclared code page 932", "<body>\x83\x7D\x83\x6A</body>", true},
    {"utf-16le with mark", std::string("\xFF\xFE<\0b\0>\0A\0", 10), true},
    {"utf-8 mark", "\xEF\xBB\xBF<body>\xE6\x89\x8B</body>", true},
};

class HtmlTopicCheckTest : public CTopicFileTest {};

TEST_F(HtmlTopicCheckTest, Pages) {
    for (const CHtmlCase& c : kPages) {
        EXPECT_EQ(PAS_HtmlHaveTopic(Write("page.htm", c.m_strHtml).c_str()),
                  c.m_bText ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC)
            << c.m_pszName;
        EXPECT_EQ(PAS_HtmlHaveTopic(Write("page.html", c.m_strHtml).c_str()),
                  c.m_bText ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC)
            << c.m_pszName;
    }
}

// The scanner sees the page in pieces (as read from a file or decompressed from an archive);
// where a piece ends must not change the answer.
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

TEST_F(HtmlTopicCheckTest, BinaryAndCutOffPages) {
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("random.htm", RandomBytes(8192, 11)).c_str()),
              TQFLTR2_DAMAGED);
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("nul.html", std::string("<body>a\0b", 9)).c_str()),
              TQFLTR2_DAMAGED);
    // Markup has no end to lose: a page cut off after its first words still holds them, one cut
    // off in its head holds nothing.
    std::string page = "<html><head><title>Manual</title></head><body><p>Install</p></body></html>";
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("cut.htm", page.substr(0, page.find("</p>"))).c_str()),
              TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("cut.htm", page.substr(0, page.find("</head>"))).c_str()),
              TQFLTR2_NO_TOPIC);
}

TEST_F(HtmlTopicCheckTest, TextDeepInALongPage) {
    std::string head = "<html><head><style>" + std::string(200000, ' ') + "</style></head><body>";
    std::string markup;
    for (int i = 0; i < 20000; ++i) {
        markup += "<div class=\"x\"> </div>";
    }
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("long.htm", head + markup + "<p>end</p>").c_str()),
              TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_HtmlHaveTopic(Write("long-empty.htm", head + markup).c_str()), TQFLTR2_NO_TOPIC);
}

}  // namespace
}  // namespace tq::test
