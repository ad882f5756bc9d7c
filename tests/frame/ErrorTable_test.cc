#include "frame/ErrorTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "frame/Exports.h"
#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

// The whole table in search order, as the user reads it (UTF-8).
struct ExpectedRow {
    int32_t code;
    const char* utf8;
};
const ExpectedRow kExpected[] = {
    {-1001, "操作をキャンセルしました"},
    {-1006, "ベースコントロールファイルをオープンできません"},
    {-1007, "ベースコントロールファイルの記述が不適切です"},
    {-1052, "グループ名を重複して指定しています"},
    {-1016, "グループの指定が不正です"},
    {-1018, "データベース名に使えない文字が含まれています"},
    {-1031, "Trellisquestのデータベース名に半角カナ文字は使えません"},
    {-1013, "データベース名の指定がありません"},
    {-1050, "データベース名の文字数が64文字を超えています"},
    {-1047, "データベース名に使えない名前です"},
    {-1046, "データベース名を重複して指定しています"},
    {-1011, "元文書リストファイルをオープンできません"},
    {-1053, "指定したデータベース名は不適切です"},
    {-1005, "レジストリの操作に失敗しました"},
    {-1008, "レジストリからの情報取得に失敗しました"},
    {-1563, "データベース番号が不適切です"},
    {-1564, "ベースコントロールファイルの更新に失敗しました"},
    {-1565, "データベースタイプの指定が不適切です"},
    {-1566, "番号が不適切です"},
    {-1567, "指定した文書名は登録されていません"},
    {-1568, "グループ名が不適切です"},
    {-1569, "既に登録済みです"},
    {-1017, "データベースフォルダの作成に失敗しました"},
    {-1570, "パスの指定が不適切です"},
    {-1571, "フォルダを削除できません"},
    {-1572, "サポートしていないファイル名です"},
    {-1573, "データベースの情報が足りません"},
    {-1058, "書き込み権がないので変更を反映できません"},
    {-1061, "インデキシングログを作成できません"},
    {-1043, "編集中です"},
    {-1063, "他のユーザーにより編集中です"},
    {-1066, "グループに複数のファミリ名を指定しています"},
    {-1067, "ファミリ名が不適切です"},
    {-1574, "グループ名に同じ名前が使われています"},
    {-1575, "制御文字が含まれている文字列は使えません"},
    {-1576, "このデータベースを操作することはできません"},
    {-1577, "コントロールファイルを読み込めていません"},
    {-1578, "任意のデータベースを追加・編集できません"},
};
const char kDefaultUtf8[] = "エラーが発生しました";

std::string ToUtf8(const std::string& cp932) {
    std::string utf8;
    EXPECT_EQ(Cp932ToUtf8(cp932, utf8), ERROR_SUCCESS) << "not code page 932: " << cp932;
    return utf8;
}

TEST(ErrorTableTest, EveryRowInOrderWithItsText) {
    const auto table = GetErrorTable();
    ASSERT_EQ(table.size(), std::size(kExpected));
    std::set<int32_t> codes;
    for (size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(kExpected[i].code);
        EXPECT_EQ(table[i].m_lCode, kExpected[i].code);
        EXPECT_EQ(ToUtf8(table[i].m_pszMessage), kExpected[i].utf8);
        EXPECT_TRUE(codes.insert(table[i].m_lCode).second) << "code twice";
    }
    EXPECT_EQ(ToUtf8(GetDefaultErrorMessage()), kDefaultUtf8);
}

TEST(ErrorTableTest, GetErrorMessageByKindOfCode) {
    struct Case {
        int32_t code;
        bool result;
        std::string utf8;
    };
    const Case cases[] = {
        {0, false, ""},
        {5, false, ""},
        {INT32_MAX, false, ""},
        {-1043, true, "編集中です"},
        {-1578, true, "任意のデータベースを追加・編集できません"},
        // The sample query update's own codes have no row.
        {-1034, false, kDefaultUtf8},
        {-1054, false, kDefaultUtf8},
        {-1, false, kDefaultUtf8},
        {INT32_MIN, false, kDefaultUtf8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        std::string out = "previous";
        EXPECT_EQ(GetErrorMessage(c.code, out), c.result);
        EXPECT_EQ(ToUtf8(out), c.utf8);
    }
}

// The buffer protocol of the exported function. The buffer is larger than the size given, so
// any byte written beyond that size shows as a changed sentinel.
TEST(ErrorTableTest, GetErrorStringBufferRule) {
    constexpr char kSentinel = 'X';
    constexpr int kNull = -1;  // pass a null buffer
    struct Case {
        int32_t code;
        int size;  // kNull: null buffer with size 0
        uint32_t result;
        const char* content;  // nullptr: the buffer is untouched
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " size " << c.size);
        char buffer[128];
        std::memset(buffer, kSentinel, sizeof(buffer));
        const bool bNull = c.size == kNull;
        const uint32_t size = bNull ? 0 : static_cast<uint32_t>(c.size);
        EXPECT_EQ(VXCSTM_GetErrorString(c.code, bNull ? nullptr : buffer, size), c.result);
        size_t written = 0;
        if (c.content != nullptr) {
            std::string expected;
            ASSERT_EQ(Utf8ToCp932(c.content, expected), ERROR_SUCCESS);
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
