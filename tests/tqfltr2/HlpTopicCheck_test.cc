// WinHelp files written from the format's description, whole and damaged in the structures the
// reader follows.
#include <functional>
#include <string>

#include "TopicTestFiles.h"
#include "gtest/gtest.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq::test {
namespace {

class HlpTopicCheckTest : public CTopicFileTest {
protected:
    int Check(const std::string& strData) {
        return PAS_HlpHaveTopic(Write("a.hlp", strData).c_str());
    }
};

TEST_F(HlpTopicCheckTest, SoundFiles) {
    struct {
        const char* m_pszName;
        std::string m_strData;
        int m_nAnswer;
    } cases[] = {
        {"topics", BuildHelpFile(4096).m_strData, TQFLTR2_HAS_TOPIC},
        {"topics, index page over leaves", BuildHelpFile(100, 2).m_strData, TQFLTR2_HAS_TOPIC},
        {"no topic file (a contents index)", BuildHelpFile(0, 2).m_strData, TQFLTR2_NO_TOPIC},
        {"topic file of one block header", BuildHelpFile(12).m_strData, TQFLTR2_NO_TOPIC},
        {"empty directory", BuildHlp({}).m_strData, TQFLTR2_NO_TOPIC},
        {"names compare exactly", BuildHlp({{"|topic", "x"}}).m_strData, TQFLTR2_NO_TOPIC},
        {"bytes after the declared size", BuildHelpFile(99).m_strData + "junk", TQFLTR2_HAS_TOPIC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check(c.m_strData), c.m_nAnswer) << c.m_pszName;
    }
}

// Each case damages one field the reader follows; none may lead it outside the file or round
// in circles.
TEST_F(HlpTopicCheckTest, DamagedStructures) {
    using Patch = std::function<void(CHlpImage&)>;
    auto at = [](std::function<uint32_t(CHlpImage&)> where, uint64_t v, size_t cb) {
        return Patch([=](CHlpImage& i) { PutLittleEndian(i.m_strData, where(i), v, cb); });
    };
    auto file = [&](uint32_t field, uint64_t v) {
        return at([=](CHlpImage&) { return field; }, v, 4);
    };
    auto tree = [&](uint32_t field, uint16_t v) {
        return at([=](CHlpImage& i) { return i.m_nBTreeOffset + field; }, v, 2);
    };
    auto page = [&](uint32_t n, uint32_t field, uint16_t v) {
        return at([=](CHlpImage& i) { return i.m_nPagesOffset + n * i.m_nPageSize + field; }, v, 2);
    };
    auto topic = [&](uint32_t v) {
        return at([=](CHlpImage& i) { return i.m_fileOffsets["|TOPIC"] + 4; }, v, 4);
    };
    struct {
        const char* m_pszName;
        Patch m_patch;
    } cases[] = {
        {"magic", file(0, 0x00035F3E)},
        {"declared size beyond the end", file(12, 0x10000)},
        {"directory beyond the end", file(4, 0x10000)},
        {"directory inside the file header", file(4, 3)},
        {"tree magic", tree(0, 0x293C)},
        {"tree structure", tree(6, 0x3478)},
        {"page size zero", tree(4, 0)},
        {"root page out of range", tree(26, 50)},
        {"page count beyond the directory", tree(30, 0x7FFF)},
        {"levels beyond the pages", tree(32, 40)},
        {"first child out of range", page(3, 4, 77)},  // the index page follows three leaves
        {"leaf chain in a circle", page(1, 6, 0)},
        {"entry count beyond the page", page(0, 2, 900)},
        {"topic data beyond the end", topic(0x100000)},
    };
    for (const auto& c : cases) {
        CHlpImage image = BuildHelpFile(4096, 2);
        c.m_patch(image);
        EXPECT_EQ(Check(image.m_strData), TQFLTR2_DAMAGED) << c.m_pszName;
    }
}

TEST_F(HlpTopicCheckTest, TruncatedAndCorrupted) {
    std::string strSound = BuildHelpFile(300, 2).m_strData;
    for (size_t size = 0; size < strSound.size(); size += 97) {
        EXPECT_EQ(Check(strSound.substr(0, size)), TQFLTR2_DAMAGED) << "cut at " << size;
    }
    // Whatever bytes change, the answer is a defined one (ASan watches the reads).
    std::mt19937 gen(7);
    for (int round = 0; round < 200; ++round) {
        std::string strData = strSound;
        for (int k = 0; k < 4; ++k) {
            strData[gen() % strData.size()] = static_cast<char>(gen());
        }
        int answer = Check(strData);
        EXPECT_TRUE(answer == TQFLTR2_HAS_TOPIC || answer == TQFLTR2_NO_TOPIC ||
                    answer == TQFLTR2_DAMAGED)
            << "round " << round << ": " << answer;
    }
}

}  // namespace
}  // namespace tq::test
