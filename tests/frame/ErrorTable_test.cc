#include "frame/ErrorTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <tuple>

#include "frame/Exports.h"

namespace tq {
namespace {

// The texts and their codes are generated from the message sources and checked there; here,
// what the lookups make of them.
TEST(ErrorTableTest, GetErrorMessageByKindOfCode) {
    for (const auto& row : GetErrorTable()) {
        std::string out;
        EXPECT_TRUE(GetErrorMessage(row.m_lCode, out)) << row.m_lCode;
        EXPECT_EQ(out, row.m_pszMessage);
    }
    const std::string strDefault = GetDefaultErrorMessage();
    // The code, found, the text (0 and -1043 are the exported function's rows); the sample
    // query update's own codes have no row.
    const std::tuple<int32_t, bool, std::string> cases[] = {{INT32_MAX, false, ""},
                                                            {-1034, false, strDefault}};
    for (const auto& [code, bFound, text] : cases) {
        std::string out = "previous";
        EXPECT_EQ(GetErrorMessage(code, out), bFound) << code;
        EXPECT_EQ(out, text) << code;
    }
}

// The buffer protocol of the exported function. The buffer is larger than the size given, so
// any byte written beyond that size shows as a changed sentinel.
TEST(ErrorTableTest, GetErrorStringBufferRule) {
    constexpr char kSentinel = 'X';
    constexpr int kNull = -1;  // pass a null buffer
    std::string strEditing;
    ASSERT_TRUE(GetErrorMessage(-1043, strEditing));
    const int need = static_cast<int>(strEditing.size()) + 1;
    // The code, the size (kNull: a null buffer with size 0), the result, and what the buffer holds
    // (nullptr: it is untouched).
    const std::tuple<int32_t, int, int, const char*> cases[] = {
        {-1043, kNull, need, nullptr},            // size query: the text and the zero
        {-1043, need - 1, need, ""},              // too small: an empty string
        {-1043, need, need, strEditing.c_str()},  // exactly large enough
        {-1043, 0, need, nullptr},                // a zero-length buffer is never written
        {-1034, 100, 0, nullptr},
        {5, 100, 0, ""},
        {0, 1, 0, ""},
        {5, 0, 0, nullptr},
        {5, kNull, 0, nullptr},
    };
    for (const auto& [code, nSize, result, content] : cases) {
        SCOPED_TRACE(testing::Message() << code << " size " << nSize);
        char buffer[128];
        std::memset(buffer, kSentinel, sizeof(buffer));
        const bool bNull = nSize == kNull;
        const uint32_t size = bNull ? 0 : static_cast<uint32_t>(nSize);
        EXPECT_EQ(VXCSTM_GetErrorString(code, bNull ? nullptr : buffer, size),
                  static_cast<uint32_t>(result));
        size_t written = 0;
        if (content != nullptr) {
            EXPECT_EQ(std::string(buffer), content);
            written = std::strlen(content) + 1;
        }
        for (size_t i = written; i < sizeof(buffer); ++i) {
            ASSERT_EQ(buffer[i], kSentinel) << "byte " << i << " written";
        }
    }
}

}  // namespace
}  // namespace tq
