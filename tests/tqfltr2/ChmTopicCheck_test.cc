// CHM archives compiled by chmcmd from small HTML projects during the test.
#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

const char kText[] = "<html><head><title>Start</title></head><body><p>Install</p></body></html>";
const char kEmpty[] = "<html><head><title>Nothing</title></head><body> </body></html>";
const char kBlank[] = "<html><body>&nbsp;<script>document.write('x')</script></body></html>";

class ChmTopicCheckTest : public CTopicFileTest {};

TEST_F(ChmTopicCheckTest, Archives) {
    std::string strBig = "<html><body>";
    for (int i = 0; i < 20000; ++i) {
        strBig += "<div> </div>";
    }
    struct {
        const char* m_pszName;
        CNamedData m_pages;
        int m_n;
        int m_nAnswer;
    } cases[] = {
        {"topics.chm", {{"a.htm", kText}, {"b.html", kEmpty}}, 1, TQFLTR2_HAS_TOPIC},
        {"no-text.chm", {{"a.htm", kEmpty}, {"b.htm", kBlank}}, 1, TQFLTR2_NO_TOPIC},
        {"no-html.chm", {{"notes.txt", "plain words"}}, 1, TQFLTR2_NO_TOPIC},
        {"last.chm",
         {{"a.htm", kEmpty}, {"b.htm", kBlank}, {"c.HTM", kText}},
         1,
         TQFLTR2_HAS_TOPIC},
        {"big.chm", {{"big.htm", strBig + "late words"}}, 1, TQFLTR2_HAS_TOPIC},
        {"big-empty.chm", {{"big.htm", strBig}}, 1, TQFLTR2_NO_TOPIC},
        // n: the number of topics with text asked for (below 1 counts as 1).
        {"two-of-three.chm",
         {{"a.htm", kText}, {"b.htm", kEmpty}, {"c.htm", kText}},
         2,
         TQFLTR2_HAS_TOPIC},
        {"two-of-three.chm",
         {{"a.htm", kText}, {"b.htm", kEmpty}, {"c.htm", kText}},
         3,
         TQFLTR2_NO_TOPIC},
        {"one.chm", {{"a.htm", kText}}, -5, TQFLTR2_HAS_TOPIC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PAS_ChmHaveTopic(CompileChm(c.m_pszName, c.m_pages).c_str(), c.m_n), c.m_nAnswer)
            << c.m_pszName << " n = " << c.m_n;
    }
}

TEST_F(ChmTopicCheckTest, DamagedArchives) {
    CompileChm("sound.chm", {{"a.htm", kText}, {"b.html", kEmpty}});
    std::string strSound = ReadLinuxFile(Linux("sound.chm"));
    ASSERT_GT(strSound.size(), 0x80u);
    for (size_t size :
         {size_t{3}, size_t{0x60}, size_t{0x200}, strSound.size() / 2, strSound.size() - 1}) {
        EXPECT_EQ(PAS_ChmHaveTopic(Write("a.chm", strSound.substr(0, size)).c_str(), 1),
                  TQFLTR2_DAMAGED)
            << "cut at " << size;
    }
    std::string strFar = strSound;
    PutLittleEndian(strFar, 0x48, 0x7FFFFFFFFFull, 8);  // the directory's offset
    EXPECT_EQ(PAS_ChmHaveTopic(Write("a.chm", strFar).c_str(), 1), TQFLTR2_DAMAGED);
    EXPECT_EQ(PAS_ChmHaveTopic(Write("a.chm", "ITSF" + RandomBytes(9000, 2)).c_str(), 1),
              TQFLTR2_DAMAGED);
    // chmlib follows what the archive says: whatever bytes change, the answer is a defined one
    // (ASan watches the reads).
    std::mt19937 gen(13);
    for (int round = 0; round < 200; ++round) {
        std::string strData = strSound;
        for (int k = 0; k < 3; ++k) {
            strData[gen() % strData.size()] = static_cast<char>(gen());
        }
        int answer = PAS_ChmHaveTopic(Write("a.chm", strData).c_str(), 1);
        EXPECT_TRUE(answer == TQFLTR2_HAS_TOPIC || answer == TQFLTR2_NO_TOPIC ||
                    answer == TQFLTR2_DAMAGED)
            << "round " << round << ": " << answer;
    }
}

}  // namespace
}  // namespace tq::test
