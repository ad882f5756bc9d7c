// CHM archives compiled by chmcmd from small HTML projects during the test.
#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

const char kTextPage[] =
    "<html><head><title>Start</title></head><body><h1>Welcome</h1><p>How to install.</p>"
    "</body></html>";
const char kEmptyPage[] = "<html><head><title>Nothing here</title></head><body> </body></html>";
const char kBlankPage[] = "<html><body>&nbsp;<script>document.write('x')</script></body></html>";

class ChmTopicCheckTest : public CTopicFileTest {
protected:
    std::string TopicsChm() {
        return CompileChm("topics.chm", {{"start.htm", kTextPage}, {"empty.html", kEmptyPage}});
    }
};

TEST_F(ChmTopicCheckTest, Archives) {
    std::string strTopics = TopicsChm();
    std::string strEmpty =
        CompileChm("no-text.chm", {{"a.htm", kEmptyPage}, {"b.htm", kBlankPage}});
    // Only files other than HTML pages hold text: no topic.
    std::string strNoHtml = CompileChm("no-html.chm", {{"notes.txt", "plain words"}});
    std::string strLater = CompileChm(
        "later.chm", {{"a.htm", kEmptyPage}, {"b.htm", kBlankPage}, {"c.HTM", kTextPage}});
    EXPECT_EQ(PAS_ChmHaveTopic(strTopics.c_str(), 1), TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_ChmHaveTopic(strEmpty.c_str(), 1), TQFLTR2_NO_TOPIC);
    EXPECT_EQ(PAS_ChmHaveTopic(strNoHtml.c_str(), 1), TQFLTR2_NO_TOPIC);
    EXPECT_EQ(PAS_ChmHaveTopic(strLater.c_str(), 1), TQFLTR2_HAS_TOPIC);
}

// n is the number of topics with text asked for.
TEST_F(ChmTopicCheckTest, TopicsAskedFor) {
    std::string strTwo =
        CompileChm("two.chm", {{"a.htm", kTextPage}, {"b.htm", kEmptyPage}, {"c.htm", kTextPage}});
    struct {
        int m_n;
        int m_nAnswer;
    } cases[] = {{-5, TQFLTR2_HAS_TOPIC}, {0, TQFLTR2_HAS_TOPIC}, {1, TQFLTR2_HAS_TOPIC},
                 {2, TQFLTR2_HAS_TOPIC},  {3, TQFLTR2_NO_TOPIC},  {1000, TQFLTR2_NO_TOPIC}};
    for (const auto& c : cases) {
        EXPECT_EQ(PAS_ChmHaveTopic(strTwo.c_str(), c.m_n), c.m_nAnswer) << "n = " << c.m_n;
    }
}

TEST_F(ChmTopicCheckTest, LargeCompressedTopic) {
    std::string strPage = "<html><body>";
    for (int i = 0; i < 20000; ++i) {
        strPage += "<div> </div>";
    }
    std::string strLate =
        CompileChm("large.chm", {{"big.htm", strPage + "late words</body></html>"}});
    std::string strNone = CompileChm("large-empty.chm", {{"big.htm", strPage + "</body></html>"}});
    EXPECT_EQ(PAS_ChmHaveTopic(strLate.c_str(), 1), TQFLTR2_HAS_TOPIC);
    EXPECT_EQ(PAS_ChmHaveTopic(strNone.c_str(), 1), TQFLTR2_NO_TOPIC);
}

TEST_F(ChmTopicCheckTest, DamagedArchives) {
    TopicsChm();
    std::string strSound = ReadLinuxFile(Linux("topics.chm"));
    ASSERT_GT(strSound.size(), 0x80u);
    for (size_t size : {size_t{0}, size_t{3}, size_t{0x40}, size_t{0x60}, size_t{0x77},
                        size_t{0x200}, strSound.size() / 2, strSound.size() - 1}) {
        EXPECT_EQ(PAS_ChmHaveTopic(Write("cut.chm", strSound.substr(0, size)).c_str(), 1),
                  TQFLTR2_DAMAGED)
            << "cut at " << size;
    }
    EXPECT_EQ(PAS_ChmHaveTopic(Write("random.chm", RandomBytes(20000, 21)).c_str(), 1),
              TQFLTR2_DAMAGED);
    std::string strSigned = "ITSF" + RandomBytes(20000, 22);
    EXPECT_EQ(PAS_ChmHaveTopic(Write("random-signed.chm", strSigned).c_str(), 1), TQFLTR2_DAMAGED);
    std::string strFarDirectory = strSound;
    PutLittleEndian(strFarDirectory, 0x48, 0x7FFFFFFFFFull, 8);
    EXPECT_EQ(PAS_ChmHaveTopic(Write("far.chm", strFarDirectory).c_str(), 1), TQFLTR2_DAMAGED);
}

// Corrupted copies of a sound archive: chmlib follows what the archive says, so whatever bytes
// change, the answer must be a defined one (ASan watches the reads).
TEST_F(ChmTopicCheckTest, FlippedBytesNeverCrash) {
    TopicsChm();
    std::string strSound = ReadLinuxFile(Linux("topics.chm"));
    std::mt19937 gen(13);
    for (int round = 0; round < 200; ++round) {
        std::string strData = strSound;
        for (int k = 0; k < 3; ++k) {
            strData[gen() % strData.size()] = static_cast<char>(gen() & 0xFF);
        }
        int answer = PAS_ChmHaveTopic(Write("flipped.chm", strData).c_str(), 1);
        EXPECT_TRUE(answer == TQFLTR2_HAS_TOPIC || answer == TQFLTR2_NO_TOPIC ||
                    answer == TQFLTR2_DAMAGED)
            << "round " << round << ": " << answer;
    }
}

}  // namespace
}  // namespace tq::test
