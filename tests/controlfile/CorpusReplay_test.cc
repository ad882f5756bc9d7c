// Replays the reader's fuzz corpus (fuzz/corpus/reader) as an ordinary test, so that every
// input that ever mattered to the fuzzer keeps being checked without clang.
#include <gtest/gtest.h>

#include <filesystem>

#include "../../fuzz/ReaderOracle.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

std::filesystem::path CorpusDir() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz" /
           "corpus" / "reader";
}

TEST(CorpusReplayTest, EveryCorpusFileKeepsTheReaderSound) {
    std::filesystem::path dir = CorpusDir();
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
    size_t nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        ++nFiles;
        std::string text = test::ReadLinuxFile(entry.path().string());
        EXPECT_EQ(fuzz::CheckReader(text), "") << entry.path().filename();
    }
    EXPECT_GT(nFiles, 10u);
}

}  // namespace
}  // namespace tq
