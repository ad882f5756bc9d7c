#include "dialogs/FilePaneCore.h"

#include <utility>

#include "browse/FileInfoProvider.h"
#include "browse/FileListModel.h"
#include "dialogs/ShowDialogMessage.h"
#include "platform/MessageBox.h"
#include "resources/StringTable.h"

namespace tq {

CFilePaneCore::CFilePaneCore(CHelpFileCheck check, std::string strProductName)
    : m_check(check), m_strProductName(std::move(strProductName)) {}

void CFilePaneCore::AddFiles(const std::vector<CCheckItem>& items, size_t nChosen,
                             std::vector<CLeftOutFile>* pLeftOut) {
    std::vector<std::string> accepted;
    std::string strRefused;
    {
        const std::unique_ptr<IJobWait> pWait = MakeWait();
        CCheckJob job(items, m_check, GetCheckTargets(), *pWait, &accepted);
        if (pLeftOut != nullptr) {
            job.SetVet(WhyNotTarget);
        }
        pWait->RunJob(job);
        strRefused = job.GetRefusedNames();
        if (pLeftOut != nullptr) {
            pLeftOut->insert(pLeftOut->end(), job.GetLeftOut().begin(), job.GetLeftOut().end());
        }
    }
    for (const std::string& strPath : accepted) {
        OnTargetAccepted(strPath);
    }
    const ERefusalReport report = DecideRefusalReport(strRefused, nChosen);
    if (report == ERefusalReport::kMessage) {
        ShowDialogMessage(IDS_FILE_NO_TOPICS, m_strProductName);
    } else if (report == ERefusalReport::kReportDialog) {
        ShowNotAdded(strRefused);
    }
}

void CFilePaneCore::AddPaths(const std::vector<std::string>& paths, size_t nChosen,
                             std::vector<CLeftOutFile> leftOut) {
    const CPlainFileInfoProvider names;
    std::vector<CCheckItem> items;
    for (const std::string& strPath : paths) {
        items.push_back({strPath, names.GetDisplayName(strPath)});
    }
    if (!items.empty()) {
        AddFiles(items, nChosen, &leftOut);
    }
    if (!leftOut.empty()) {
        GetMessageBox().ShowWarning(FormatLeftOutNote(leftOut), m_strProductName);
    }
}

bool CFilePaneCore::AddSelectedFiles(const CFileListModel& list) {
    std::vector<CCheckItem> items;
    for (const CFileListItem* pItem : list.GetSelectedFiles()) {
        items.push_back({pItem->m_strPath, pItem->m_strDisplayName});
    }
    if (items.empty()) {
        return false;
    }
    AddFiles(items, list.GetSelection().GetSelectedCount());
    return true;
}

void CFilePaneCore::ActivateRow(const CFileListModel& list, int nRow) {
    const CFileListItem* pItem = list.GetItem(static_cast<size_t>(nRow));
    if (pItem == nullptr) {
        return;
    }
    if (pItem->m_bFolder) {
        OpenFolder(pItem->m_strPath);
    } else {
        AddFiles({{pItem->m_strPath, pItem->m_strDisplayName}}, 1);
    }
}

bool CFilePaneCore::DoPaneAction(EPaneAction action) {
    switch (action) {
        case EPaneAction::kNone:
            return false;
        case EPaneAction::kUp:
            GoUp();
            break;
        case EPaneAction::kDetailsView:
            SetViewMode(kViewDetails);
            break;
        case EPaneAction::kListView:
            SetViewMode(kViewList);
            break;
        case EPaneAction::kOpenLocation:
            OpenLocationList();
            break;
        case EPaneAction::kRefresh:
            Refresh();
            break;
    }
    return true;
}

}  // namespace tq
