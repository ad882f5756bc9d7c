#include "browse/PaneRules.h"

#include "browse/FileListModel.h"

namespace tq {

EPaneAction DecidePaneKey(EPaneKey key, EPaneControl control, bool bCtrl, bool bDropDownOpen) {
    if (control == EPaneControl::kOther) {
        return EPaneAction::kNone;
    }
    const bool bFiles = control == EPaneControl::kFiles;
    switch (key) {
        case EPaneKey::kBackspace:
            return bFiles || !bDropDownOpen ? EPaneAction::kUp : EPaneAction::kNone;
        case EPaneKey::kD:
            return bCtrl ? EPaneAction::kDetailsView : EPaneAction::kNone;
        case EPaneKey::kL:
            return bCtrl ? EPaneAction::kListView : EPaneAction::kNone;
        case EPaneKey::kF4:
            return bFiles ? EPaneAction::kOpenLocation : EPaneAction::kNone;
        case EPaneKey::kF5:
            return EPaneAction::kRefresh;
        default:
            return EPaneAction::kNone;
    }
}

EListEnter DecideListEnter(const CFileListModel& list, bool bAddEnabled, std::string& strFolder) {
    const std::vector<size_t> rows = list.GetSelection().GetSelectedRows();
    const CFileListItem* pItem = rows.size() == 1 ? list.GetItem(rows[0]) : nullptr;
    if (pItem != nullptr && pItem->m_bFolder) {
        strFolder = pItem->m_strPath;
        return EListEnter::kOpenFolder;
    }
    return bAddEnabled ? EListEnter::kAdd : EListEnter::kClearSelection;
}

EDefaultButton DecideDefaultButton(bool bFocusIsPushButton, bool bFocusInFileList) {
    if (bFocusIsPushButton) {
        return EDefaultButton::kKeep;
    }
    return bFocusInFileList ? EDefaultButton::kAdd : EDefaultButton::kDialog;
}

}  // namespace tq
