#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

// Every string resource as the user reads it (UTF-8).
struct ExpectedString {
    uint32_t id;
    const char* utf8;
};
const ExpectedString kExpected[] = {
    {IDS_LOG_BAD_LINE, "■エラー：記述が間違っています。\"%1\""},
    {IDS_LOG_BAD_LINE_IN, "■エラー：記述が間違っています。[%1] の \"%2\""},
    {IDS_LOG_SKIPPED, "▲警告：処理しませんでした。\"%1\""},
    {IDS_LOG_SKIPPED_IN, "▲警告：処理しませんでした。[%1] の \"%2\""},
    {IDS_LOG_START, "OutputLogStart %1"},
    {IDS_LOG_GROUPS, "■エラー：グループの指定に問題があります"},
    {IDS_LOG_DBNAME_INVALID, "■エラー：データベース名 [%1] は無効です"},
    {IDS_LOG_DBNAME_TWICE, "■エラー：データベース名 [%1] が重複しています"},
    {IDS_LOG_NO_GROUP, "■エラー：データベース[%1] にグループの指定がありません"},
    {IDS_LOG_PDFSKIP_MISSING, "■エラー：[%1] の PDFSkipTitleFile=\"%2\" が見つかりません"},
    {IDS_LOG_DOCLIST_MISSING, "■エラー：[%1] の DocListFile=\"%2\" が見つかりません"},
    {IDS_LOG_NO_DOCS, "■エラー：[%1] の検索対象文書の指定がありません"},
    {IDS_LOG_ROOTORG_NO_REGKEY,
     "■エラー：[%1] の RootOrgPath に対応する RegKey の指定がありません"},
    {IDS_LOG_EXEORG_NO_EXEKEY, "■エラー：[%1] の ExeOrgPath に対応する ExeKey の指定がありません"},
    {IDS_LOG_REGENTRY_NO_REGKEY, "■エラー：[%1] の RegEntry に対応する RegKey の指定がありません"},
    {IDS_ENTER_APP_NAME, "アプリケーション名を入力してください。"},
    {IDS_SPECIFY_TARGETS, "検索対象ファイルを指定してください。"},
    {IDS_APP_EXISTS, "同じ名前のアプリケーションが既に登録されています。"},
    {IDS_FILE_NO_TOPICS,
     "指定したファイルには検索に必要な情報が含まれていないか、\n"
     "ファイルが保護されていて情報を取得できないため、\n"
     "検索対象ファイルに追加できません。"},
    {IDS_APP_NAME_UNUSABLE, "指定したアプリケーション名は使用できません。"},
    {IDS_APP_NAME_CONTROL, "アプリケーション名に制御文字は使用できません。"},
    {IDS_CONFIRM_EDITED,
     "編集した内容をTrellisquestに反映します。\nよろしいですか？\n"
     "反映にはしばらく時間がかかることがあります。"},
    {IDS_CONFIRM_REMOVE_APP, "アプリケーションを削除します。よろしいですか？"},
    {IDS_CONFIRM_SELECTED,
     "選択した内容をTrellisquestに反映します。\nよろしいですか？\n"
     "反映にはしばらく時間がかかることがあります。"},
    {IDS_READONLY_PROPERTY, "読み取り専用ﾌﾟﾛﾊﾟﾃｨには書き込めません。"},
};

TEST(StringTableTest, EveryTextIsItsCodePage932Form) {
    for (const ExpectedString& e : kExpected) {
        SCOPED_TRACE(e.id);
        const char* pszText = LoadString(e.id);
        ASSERT_NE(pszText, nullptr);
        std::string utf8;
        ASSERT_EQ(Cp932ToUtf8(pszText, utf8), ERROR_SUCCESS);
        EXPECT_EQ(utf8, e.utf8);
    }
}

TEST(StringTableTest, IdsWithoutTextGiveNull) {
    for (uint32_t id : {0u, 3u, 8u, 25u, 100u, 104u, 106u, 113u, 61836u, 61838u, UINT32_MAX}) {
        EXPECT_EQ(LoadString(id), nullptr) << id;
    }
}

}  // namespace
}  // namespace tq
