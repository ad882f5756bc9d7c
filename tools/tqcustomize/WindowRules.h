// What the window may do and what it says, without the toolkit: which actions work in the
// window's state and why the others do not, its title and status line, the wording a save asks
// with, and what a drop of files brings to the add wizard. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tq::customize {

struct CDatabaseRow;

enum class CAction { Add, Edit, Remove, Save, Revert, Toggle };

// The window's fixed texts: the buttons' labels (with their access keys), the three sections,
// the list's columns, the question at closing with unsaved changes.
const char* GetActionLabel(CAction action);
extern const char* const kSectionTitles[3];
extern const char* const kColumnTitles[3];
extern const char* const kCloseQuestion;
extern const char* const kRevertQuestion;

// What a database's row says beside its name.
struct CRowTexts {
    std::string m_strInstalled;
    std::string m_strIndex;
    std::string m_strIndexTip;
};
CRowTexts GetRowTexts(const CDatabaseRow& row);

struct CWindowState {
    enum class CList { Loading, Loaded, Blocked, Failed };

    CList m_list = CList::Loading;
    int32_t m_lStatus = 0;             // the edit status the product was found in
    std::string m_strFailure;          // why it could not be loaded (with Failed)
    bool m_bCustomize = false;         // user applications may be added, edited and removed
    int m_nSelectionDiffs = 0;         // databases whose selection differs from the files
    bool m_bStructureChanged = false;  // an application was added, edited or removed
    int32_t m_lCurrentType = 0;        // the type of the current database; 0 for none

    bool IsModified() const { return m_nSelectionDiffs != 0 || m_bStructureChanged; }
};

struct CActionState {
    bool m_bEnabled = false;
    std::string m_strWhy;  // why not, for the tooltip; empty when enabled
};

CActionState GetActionState(CAction action, const CWindowState& state);
std::string GetWindowTitle(const std::string& strProduct, bool bModified);
std::string GetStatusText(const CWindowState& state);
// Save's mode: 1 (the selection wording) when only selections changed, else 0.
int32_t GetSaveMode(const CWindowState& state);
// An error for the user: the code's message and the code.
std::string FormatError(int32_t lCode, const std::string& strMessage);

// A drop on the window: the files it brings (Windows paths) and a note on what it left out.
struct CDroppedItem {
    bool m_bLocalFile = false;  // a file-manager path; anything else (a web address) is not
    std::string m_strLocalPath;
};
struct CDropPlan {
    std::vector<std::string> m_paths;
    std::string m_strNote;  // which were left out and why; empty when none was
};
// Left out: folders, what is no file (gone, or a web address), and files whose names have no
// Windows form (a character Windows does not allow, none in code page 932, a path too long).
CDropPlan PlanDrop(const std::vector<CDroppedItem>& items);

}  // namespace tq::customize
