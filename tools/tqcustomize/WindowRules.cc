#include "WindowRules.h"

#include <filesystem>

#include "ProductSession.h"
#include "platform/Path.h"
#include "platform/Win32Error.h"

namespace tq::customize {

namespace {

constexpr size_t kNotedNames = 10;  // the status line names so many files left out

// Why a dropped file cannot be added (the wizard's own words); null when it can, with its
// Windows path.
const char* WhyNotTarget(const std::string& strLocalPath, std::string& strPath) {
    std::error_code ec;
    if (std::filesystem::is_directory(strLocalPath, ec)) {
        return "フォルダ";
    }
    if (!std::filesystem::is_regular_file(strLocalPath, ec)) {
        return "見つからないファイル";
    }
    if (ToWindowsPath(strLocalPath, strPath) != 0) {
        return "シフト JIS で表せない名前";
    }
    std::string strResolved;
    switch (ResolvePath(strPath, strResolved)) {
        case ERROR_SUCCESS:
            return nullptr;
        case ERROR_FILENAME_EXCED_RANGE:
            return "長すぎるパス";
        default:
            return "Windows で使えない文字を含む名前";
    }
}

std::string WhyNotLoaded(const CWindowState& state) {
    switch (state.m_list) {
        case CWindowState::CList::Loading:
            return "データベースの一覧を読み込んでいます";
        case CWindowState::CList::Blocked:
            return state.m_lStatus == kStatusLocked
                       ? "インデックス作成プログラムがファイルを使用しているため使えません"
                       : "ほかのプログラムが編集しているため使えません";
        case CWindowState::CList::Failed:
            return "読み込めなかったため使えません: " + state.m_strFailure;
        case CWindowState::CList::Loaded:
            break;
    }
    return {};
}

std::string WhyNot(CAction action, const CWindowState& state) {
    const bool bApplication =
        action == CAction::Add || action == CAction::Edit || action == CAction::Remove;
    if (action == CAction::Revert && state.m_list == CWindowState::CList::Failed) {
        return {};  // loading again is how the window gets over a file put right meanwhile
    }
    if (std::string strWhy = WhyNotLoaded(state); !strWhy.empty()) {
        return strWhy;
    }
    if (bApplication && !state.m_bCustomize) {
        return "この製品では任意のデータベースを追加・編集できません";
    }
    if ((action == CAction::Edit || action == CAction::Remove) &&
        state.m_lCurrentType != kTypeFree) {
        return "任意データベースを選んでください";
    }
    if (action == CAction::Toggle && state.m_lCurrentType != kTypeSelection &&
        state.m_lCurrentType != kTypeFree) {
        return "固定データベースはいつも検索されます";
    }
    if ((action == CAction::Save || action == CAction::Revert) && !state.IsModified()) {
        return "変更はありません";
    }
    return {};
}

}  // namespace

const char* const kSectionTitles[3] = {"固定データベース", "選択型データベース",
                                       "任意データベース"};
const char* const kColumnTitles[3] = {"データベース", "インストール", "インデックス"};
const char* const kCloseQuestion = "変更が保存されていません。保存しますか？";
const char* const kRevertQuestion =
    "保存されていない変更を破棄して、読み込み直します。よろしいですか？";

const char* GetActionLabel(CAction action) {
    switch (action) {
        case CAction::Add:
            return "追加(&A)...";
        case CAction::Edit:
            return "編集(&E)...";
        case CAction::Remove:
            return "削除(&D)";
        case CAction::Save:
            return "保存(&S)";
        case CAction::Revert:
            return "元に戻す(&R)";
        case CAction::Toggle:
            break;
    }
    return "";
}

CRowTexts GetRowTexts(const CDatabaseRow& row) {
    return {row.m_bInstalled ? "インストール済み" : "未インストール",
            row.m_bIndexPending ? "更新待ち" : "",
            row.m_bIndexPending ? "ファイルが変わり、インデックスの作成を待っています" : ""};
}

CActionState GetActionState(CAction action, const CWindowState& state) {
    std::string strWhy = WhyNot(action, state);
    return {strWhy.empty(), strWhy};
}

std::string GetWindowTitle(const std::string& strProduct, bool bModified) {
    return (bModified ? "*" : "") + strProduct + " - 検索データベース";
}

std::string GetStatusText(const CWindowState& state) {
    if (state.m_list == CWindowState::CList::Loaded) {
        return "編集できます";
    }
    if (state.m_list == CWindowState::CList::Blocked) {
        return (state.m_lStatus == kStatusLocked ? "インデックス作成プログラムが使用中です"
                                                 : "ほかのプログラムで編集中です") +
               std::string("。終わると読み込みます");
    }
    return state.m_list == CWindowState::CList::Loading
               ? "読み込んでいます..."
               : "読み込めませんでした: " + state.m_strFailure;
}

int32_t GetSaveMode(const CWindowState& state) {
    return state.m_bStructureChanged ? 0 : 1;
}

std::string FormatError(int32_t lCode, const std::string& strMessage) {
    return (strMessage.empty() ? std::string("エラーが発生しました") : strMessage) +
           "\n(エラーコード " + std::to_string(lCode) + ")";
}

CDropPlan PlanDrop(const std::vector<CDroppedItem>& items) {
    CDropPlan plan;
    std::vector<std::string> leftOut;  // "name（why）"
    int nOthers = 0;
    for (const CDroppedItem& item : items) {
        std::string strPath;
        if (!item.m_bLocalFile) {
            ++nOthers;
        } else if (const char* pszWhy = WhyNotTarget(item.m_strLocalPath, strPath)) {
            leftOut.push_back(std::filesystem::path(item.m_strLocalPath).filename().string() +
                              "（" + pszWhy + "）");
        } else {
            plan.m_paths.push_back(std::move(strPath));
        }
    }
    for (size_t i = 0; i < leftOut.size() && i < kNotedNames; ++i) {
        plan.m_strNote += (i == 0 ? "" : "、") + leftOut[i];
    }
    if (leftOut.size() > kNotedNames) {
        plan.m_strNote += "、ほか " + std::to_string(leftOut.size() - kNotedNames) + " 個";
    }
    if (nOthers > 0) {
        plan.m_strNote += (plan.m_strNote.empty() ? "" : "、") +
                          std::string("ファイルでない項目 ") + std::to_string(nOthers) + " 個";
    }
    if (!plan.m_strNote.empty()) {
        plan.m_strNote = "追加できません: " + plan.m_strNote;
    }
    return plan;
}

}  // namespace tq::customize
