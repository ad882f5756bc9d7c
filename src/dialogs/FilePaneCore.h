// What the file-selection pane does whatever toolkit draws it: a row activated in the file list
// opens its folder or checks its file in; Add checks in the chosen files; the check runs behind
// the wait dialog and its refusals are told; files from outside the list (dropped, or handed
// over by the host) are vetted first and those left out are named in a note. The toolkit's pane
// gives the controls, the wait and the report dialog.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "applications/CheckJob.h"
#include "applications/LeftOutFiles.h"
#include "browse/PaneRules.h"

namespace tq {

class CFileListModel;

class CFilePaneCore {
public:
    // strProductName captions the messages.
    CFilePaneCore(CHelpFileCheck check, std::string strProductName);
    virtual ~CFilePaneCore() = default;

    // Opens a folder: the file list, the location box and the button states follow it.
    virtual void OpenFolder(const std::string& strFolder) = 0;
    // kViewList or kViewDetails: the file list and the two view buttons follow it.
    virtual void SetViewMode(int32_t nView) = 0;
    // Checks the items into the target list. nChosen is how many items the user chose (folders
    // among them): one refused file of a single choice gets the message, several the report.
    // With pLeftOut the items come from outside the file list: those that cannot be targets are
    // added to it instead of being checked.
    void AddFiles(const std::vector<CCheckItem>& items, size_t nChosen,
                  std::vector<CLeftOutFile>* pLeftOut = nullptr);
    // Files given by their Windows paths (dropped, or handed over by the host): those that
    // cannot be targets are left out, the rest checked in as AddFiles does; then a note names
    // the files left out (also those of leftOut, which never had a Windows path) and why.
    void AddPaths(const std::vector<std::string>& paths, size_t nChosen,
                  std::vector<CLeftOutFile> leftOut = {});

protected:
    // Add: the selected files of the list are checked in; false when none is selected.
    bool AddSelectedFiles(const CFileListModel& list);
    // A row activated (double-clicked): a folder opens, a file is checked in.
    void ActivateRow(const CFileListModel& list, int nRow);
    // Carries out the pane's action for a key (DecidePaneKey); false for kNone, which the dialog
    // and the control handle.
    bool DoPaneAction(EPaneAction action);
    const std::string& GetProductName() const { return m_strProductName; }

    // The toolkit's part: the target list, the wait dialog over the pane's dialog, a file
    // accepted into the target list, and the report of several refused files.
    virtual ITargetList& GetCheckTargets() = 0;
    virtual std::unique_ptr<IJobWait> MakeWait() = 0;
    virtual void OnTargetAccepted(const std::string& strPath) = 0;
    virtual void ShowNotAdded(const std::string& strRefusedNames) = 0;
    // The keys' actions: one folder up; the location box focused with its list dropped down;
    // the shown folder read again.
    virtual void GoUp() = 0;
    virtual void OpenLocationList() = 0;
    virtual void Refresh() = 0;

private:
    CHelpFileCheck m_check;
    std::string m_strProductName;
};

}  // namespace tq
