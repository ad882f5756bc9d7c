#include "applications/AppliCommit.h"

#include "applications/AppNameRules.h"
#include "applications/AppliOperations.h"
#include "applications/EditFileSets.h"
#include "manager/CtrlFile.h"
#include "resources/ErrorCodes.h"

namespace tq {

int32_t CommitNewAppli(CCtrlFile& file, int32_t position, const std::string& strName,
                       const std::vector<std::string>& targets) {
    const std::string strParent = kAppGroupName;
    int32_t index = file.GetDBIndex(DBTYPE_FREE, position);
    CAppliOperations appli(file);
    appli.AddDBToGroup(index, strParent);
    appli.AddDBToGroup(index, strName, &strParent);
    for (const std::string& strPath : targets) {
        appli.AddDoc(index, strPath);
    }
    return position + 1;
}

int32_t ApplyEditedFiles(CCtrlFile& file, int32_t index, bool bNameChanged,
                         const CEditFileSets& sets) {
    bool bChanged = bNameChanged;
    CAppliOperations appli(file);
    for (const std::string& strPath : sets.GetRemoved()) {
        appli.RemoveDoc(index, strPath);
        bChanged = true;
    }
    for (const std::string& strPath : sets.GetAdded()) {
        appli.AddDoc(index, strPath);
    }
    return bChanged || !sets.GetAdded().empty() ? TQ_OK : TQE_CANCELLED;
}

}  // namespace tq
