// Replays the reader's fuzz corpus (fuzz/corpus/reader) as an ordinary test, so that every
// input that ever mattered to the fuzzer keeps being checked without clang.
#include <gtest/gtest.h>

#include "../../fuzz/ReaderOracle.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

TEST(CorpusReplayTest, EveryCorpusFileKeepsTheReaderSound) {
    const auto files = test::ReadCorpus("reader");
    for (const auto& file : files) {
        EXPECT_EQ(fuzz::CheckReader(file.m_strBytes), "") << file.m_strName;
    }
    EXPECT_GT(files.size(), 10u);
}

}  // namespace
}  // namespace tq
