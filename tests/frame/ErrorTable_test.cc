#include "frame/ErrorTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "frame/Exports.h"
#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

const char kDefaultUtf8[] = "エラーが発生しました";

std::string ToUtf8(const std::string& cp932) {
    std::string utf8;
    EXPECT_EQ(Cp932ToUtf8(cp932, utf8), ERROR_SUCCESS) << "not code page 932: " << cp932;
    return utf8;
}

// The texts themselves are generated from the message sources and checked there; here, what
// the lookups make of them.
TEST(ErrorTableTest, GetErrorMessageByKindOfCode) {
    std::set<int32_t> codes;
    for (const auto& row : GetErrorTable()) {
        EXPECT_TRUE(codes.insert(row.m_lCode).second) << row.m_lCode << " twice";
        std::string out;
        EXPECT_TRUE(GetErrorMessage(row.m_lCode, out)) << row.m_lCode;
        EXPECT_EQ(out, row.m_pszMessage);
    }
    EXPECT_EQ(ToUtf8(GetDefaultErrorMessage()), kDefaultUtf8);
    const std::tuple<int32_t, bool, std::string> cases[] = {
        // code, found, text
        {INT32_MAX, false, ""},  // (0 and -1043 are the exported function's rows)
        {-1578, true, "任意のデータベースを追加・編集できません"},
        // The sample query update's own codes have no row.
        {-1034, false, kDefaultUtf8},
        {-1, false, kDefaultUtf8},
    };
    for (const auto& [code, bFound, utf8] : cases) {
        std::string out = "previous";
        EXPECT_EQ(GetErrorMessage(code, out), bFound) << code;
        EXPECT_EQ(ToUtf8(out), utf8) << code;
    }
}

// The buffer protocol of the exported function. The buffer is larger than the size given, so
// any byte written beyond that size shows as a changed sentinel.
TEST(ErrorTableTest, GetErrorStringBufferRule) {
    constexpr char kSentinel = 'X';
    constexpr int kNull = -1;  // pass a null buffer
    // The code, the size (kNull: a null buffer with size 0), the result, and what the buffer holds
    // (nullptr: it is untouched).
    const std::tuple<int32_t, int, uint32_t, const char*> cases[] = {
        {-1043, kNull, 11, nullptr},    // size query: 10 bytes and the zero
        {-1043, 10, 11, ""},            // too small: an empty string
        {-1043, 11, 11, "編集中です"},  // exactly large enough
        {-1043, 100, 11, "編集中です"},
        {-1043, 0, 11, nullptr},  // a zero-length buffer is never written
        {-1034, 100, 0, nullptr},
        {-1034, kNull, 0, nullptr},
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
        EXPECT_EQ(VXCSTM_GetErrorString(code, bNull ? nullptr : buffer, size), result);
        size_t written = 0;
        if (content != nullptr) {
            std::string expected;
            ASSERT_EQ(Utf8ToCp932(content, expected), ERROR_SUCCESS);
            EXPECT_EQ(std::string(buffer), expected);
            written = expected.size() + 1;
        }
        for (size_t i = written; i < sizeof(buffer); ++i) {
            ASSERT_EQ(buffer[i], kSentinel) << "byte " << i << " written";
        }
    }
}

}  // namespace
}  // namespace tq
