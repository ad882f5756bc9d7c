// WinHelp files written from the format's description, whole and damaged in every structure the
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
    int Check(const std::string& strName, const std::string& strData) {
        return PAS_HlpHaveTopic(Write(strName, strData).c_str());
    }
};

TEST_F(HlpTopicCheckTest, SoundFiles) {
    struct {
        const char* m_pszName;
        CHlpImage m_image;
        int m_nAnswer;
    } cases[] = {
        {"topics.hlp", BuildHelpFile(4096), TQFLTR2_HAS_TOPIC},
        {"one-entry-per-leaf.hlp", BuildHelpFile(4096, 1), TQFLTR2_HAS_TOPIC},
        {"two-per-leaf.hlp", BuildHelpFile(100, 2), TQFLTR2_HAS_TOPIC},
        {"no-topic-file.hlp", BuildHelpFile(0), TQFLTR2_NO_TOPIC},
        {"no-topic-file-leaves.hlp", BuildHelpFile(0, 2), TQFLTR2_NO_TOPIC},
        // A topic file that holds only its first block header holds no topic.
        {"header-only-topic.hlp", BuildHelpFile(12), TQFLTR2_NO_TOPIC},
        {"smallest-topic.hlp", BuildHelpFile(13), TQFLTR2_HAS_TOPIC},
        {"empty-directory.hlp", BuildHlp({}), TQFLTR2_NO_TOPIC},
        {"topic-only.hlp", BuildHlp({{"|TOPIC", std::string(64, 'x')}}), TQFLTR2_HAS_TOPIC},
        // Names compare exactly: a "|topic" is some other internal file.
        {"lower-case-name.hlp", BuildHlp({{"|topic", std::string(64, 'x')}}), TQFLTR2_NO_TOPIC},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Check(c.m_pszName, c.m_image.m_strData), c.m_nAnswer) << c.m_pszName;
    }
}

TEST_F(HlpTopicCheckTest, TrailingBytesAfterTheDeclaredSizeAreIgnored) {
    EXPECT_EQ(Check("tail.hlp", BuildHelpFile(4096).m_strData + std::string(100, '\xEE')),
              TQFLTR2_HAS_TOPIC);
}

// Each case damages one field the reader follows; none may lead it outside the file.
TEST_F(HlpTopicCheckTest, DamagedStructures) {
    using Patch = std::function<void(CHlpImage&)>;
    auto put16 = [](uint32_t offset, uint16_t v) {
        return Patch([=](CHlpImage& i) { PutLittleEndian(i.m_strData, offset, v, 2); });
    };
    auto tree16 = [](uint32_t field, uint16_t v) {
        return Patch(
            [=](CHlpImage& i) { PutLittleEndian(i.m_strData, i.m_nBTreeOffset + field, v, 2); });
    };
    auto leaf16 = [](uint32_t page, uint32_t field, uint16_t v) {
        return Patch([=](CHlpImage& i) {
            PutLittleEndian(i.m_strData, i.m_nPagesOffset + page * i.m_nPageSize + field, v, 2);
        });
    };
    auto topic32 = [](uint32_t field, uint32_t v) {
        return Patch([=](CHlpImage& i) {
            PutLittleEndian(i.m_strData, i.m_fileOffsets["|TOPIC"] + field, v, 4);
        });
    };
    struct {
        const char* m_pszName;
        size_t m_nPerLeaf;
        Patch m_patch;
    } cases[] = {
        {"magic", 0, put16(0, 0x5F3E)},
        {"declared size beyond the end", 0,
         [](CHlpImage& i) { PutLittleEndian(i.m_strData, 12, i.m_strData.size() + 1, 4); }},
        {"declared size below the header", 0,
         [](CHlpImage& i) { PutLittleEndian(i.m_strData, 12, 8, 4); }},
        {"directory offset beyond the end", 0,
         [](CHlpImage& i) { PutLittleEndian(i.m_strData, 4, i.m_strData.size(), 4); }},
        {"directory offset inside the header", 0,
         [](CHlpImage& i) { PutLittleEndian(i.m_strData, 4, 3, 4); }},
        {"directory used space beyond the end", 0,
         [](CHlpImage& i) {
             PutLittleEndian(i.m_strData, i.m_nDirectoryOffset + 4, 0x7FFFFFFF, 4);
         }},
        {"directory smaller than a tree header", 0,
         [](CHlpImage& i) { PutLittleEndian(i.m_strData, i.m_nDirectoryOffset + 4, 37, 4); }},
        {"tree magic", 0, tree16(0, 0x293C)},
        {"tree structure", 0, tree16(6, 0x3478)},
        {"page size zero", 0, tree16(4, 0)},
        {"page size beyond the directory", 0, tree16(4, 0xFFFF)},
        {"root page negative", 0, tree16(26, 0xFFFE)},
        {"root page beyond the count", 2, tree16(26, 50)},
        {"page count zero", 0, tree16(30, 0)},
        {"page count beyond the directory", 0, tree16(30, 0x7FFF)},
        {"levels zero", 0, tree16(32, 0)},
        {"levels beyond the pages", 2, tree16(32, 40)},
        {"first child out of range", 2, leaf16(3, 4, 77)},  // the index page follows 3 leaves
        {"leaf chain in a circle", 2, leaf16(1, 6, 0)},
        {"leaf chain to itself", 2, leaf16(0, 6, 0)},
        {"next leaf out of range", 2, leaf16(0, 6, 99)},
        {"negative entry count", 0, leaf16(0, 2, 0x8000)},
        {"entry count beyond the page", 2, leaf16(0, 2, 900)},
        {"topic header beyond the end", 0,
         [](CHlpImage& i) {
             // Points the |TOPIC entry (the last in its leaf) past the end of the file.
             size_t pos = i.m_strData.find(std::string("|TOPIC\0", 7), i.m_nPagesOffset);
             PutLittleEndian(i.m_strData, pos + 7, i.m_strData.size() - 4, 4);
         }},
        {"topic entry offset zero", 0,
         [](CHlpImage& i) {
             size_t pos = i.m_strData.find(std::string("|TOPIC\0", 7), i.m_nPagesOffset);
             PutLittleEndian(i.m_strData, pos + 7, 0, 4);
         }},
        {"topic used space beyond the end", 0, topic32(4, 0x00100000)},
    };
    for (const auto& c : cases) {
        CHlpImage image = BuildHelpFile(4096, c.m_nPerLeaf);
        c.m_patch(image);
        EXPECT_EQ(Check("damaged.hlp", image.m_strData), TQFLTR2_DAMAGED) << c.m_pszName;
    }
}

TEST_F(HlpTopicCheckTest, EntryNameRunningOffThePage) {
    CHlpImage image = BuildHlp({{"|TOPIC", "topic data here"}}, 0, 64);
    // Fill the page after the header with a name that has no terminating NUL.
    for (uint32_t k = 8; k < image.m_nPageSize; ++k) {
        image.m_strData[image.m_nPagesOffset + k] = 'N';
    }
    EXPECT_EQ(Check("runaway.hlp", image.m_strData), TQFLTR2_DAMAGED);
}

TEST_F(HlpTopicCheckTest, EveryTruncationIsDamaged) {
    std::string data = BuildHelpFile(300, 2).m_strData;
    for (size_t size = 0; size < data.size(); size += 23) {
        EXPECT_EQ(Check("cut.hlp", data.substr(0, size)), TQFLTR2_DAMAGED) << "cut at " << size;
    }
}

TEST_F(HlpTopicCheckTest, RandomBytes) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        EXPECT_EQ(Check("random.hlp", RandomBytes(5000, seed)), TQFLTR2_DAMAGED) << seed;
    }
    // Random bytes behind a real signature and size still lead nowhere.
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        std::string data = RandomBytes(5000, seed);
        PutLittleEndian(data, 0, 0x00035F3F, 4);
        PutLittleEndian(data, 4, seed * 97 % 5000, 4);
        PutLittleEndian(data, 12, data.size(), 4);
        EXPECT_EQ(Check("random-signed.hlp", data), TQFLTR2_DAMAGED) << seed;
    }
}

// A corrupted copy of a sound file: whatever bytes change, the answer is one of the defined
// ones and the reader stays inside the file (ASan watches the reads).
TEST_F(HlpTopicCheckTest, FlippedBytesNeverCrash) {
    std::string sound = BuildHelpFile(500, 2).m_strData;
    std::mt19937 gen(7);
    for (int round = 0; round < 300; ++round) {
        std::string data = sound;
        for (int k = 0; k < 4; ++k) {
            data[gen() % data.size()] = static_cast<char>(gen() & 0xFF);
        }
        int answer = Check("flipped.hlp", data);
        EXPECT_TRUE(answer == TQFLTR2_HAS_TOPIC || answer == TQFLTR2_NO_TOPIC ||
                    answer == TQFLTR2_DAMAGED)
            << "round " << round << ": " << answer;
    }
}

}  // namespace
}  // namespace tq::test
