// Filing databases into groups and renaming groups.
#include "applications/AppliOperations.h"
#include "applications/TextRules.h"
#include "manager/CtrlFile.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

constexpr size_t kMaxGroupName = 256;

// The rule for group names: 1 to 256 bytes, no control characters.
int32_t CheckGroupName(const std::string& strName) {
    if (strName.empty() || strName.size() > kMaxGroupName) {
        return TQE_GROUP_NAME;
    }
    return HasControlChar(strName) ? TQE_CONTROL_CHAR : TQ_OK;
}

}  // namespace

int32_t CAppliOperations::AddDBToGroup(int32_t index, const std::string& strGroupName,
                                       const std::string* pParentName) {
    if (!m_file.IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    int32_t lResult = CheckGroupName(strGroupName);
    if (lResult != TQ_OK) {
        return lResult;
    }
    CCtrlGroupSet& groups = m_file.GetGroupSet();
    CCtrlGroup* pParent = &groups;
    if (pParentName != nullptr && !pParentName->empty()) {
        if (HasControlChar(*pParentName)) {
            return TQE_CONTROL_CHAR;
        }
        pParent = groups.FindChildByName(&groups, *pParentName, false);
        if (pParent == nullptr) {
            const int32_t nId = m_file.AddGroup(0, *pParentName);
            if (nId < 0) {
                return nId;
            }
            pParent = groups.FindGroup(nId);
        }
    }
    CCtrlGroup* pGroup = groups.FindChildByName(pParent, strGroupName, false);
    if (pGroup == nullptr) {
        const int32_t nId =
            m_file.AddGroup(pParent == &groups ? 0 : pParent->GetId(), strGroupName);
        if (nId < 0) {
            return nId;
        }
        pGroup = groups.FindGroup(nId);
    }
    groups.FindAndReference(pGroup->GetId());
    m_file.GetDatabase(static_cast<size_t>(index))->m_groups.push_back(pGroup);
    m_file.SetModified();
    return TQ_OK;
}

CCtrlGroup* CAppliOperations::FindGroupToRename(const std::string* pParentName,
                                                const std::string& strOldName) const {
    const CCtrlGroupSet& groups = m_file.GetGroupSet();
    const CCtrlGroup* pParent = &groups;
    if (pParentName != nullptr) {
        pParent = groups.FindChildByName(&groups, *pParentName, false);
        if (pParent == nullptr) {
            return nullptr;
        }
    }
    return groups.FindChildByName(pParent, strOldName, false);
}

int32_t CAppliOperations::CheckRenameGroup(const std::string* pParentName,
                                           const std::string& strOldName,
                                           const std::string& strNewName) const {
    const CCtrlGroup* pGroup = FindGroupToRename(pParentName, strOldName);
    if (pGroup == nullptr) {
        return TQE_GROUP_NAME;
    }
    int32_t lResult = CheckGroupName(strNewName);
    if (lResult == TQ_OK && pGroup->GetName() != strNewName &&
        m_file.GetGroupSet().FindChildByName(pGroup->GetParent(), strNewName, false) != nullptr) {
        lResult = TQE_GROUP_NAME_TWICE;
    }
    return lResult;
}

int32_t CAppliOperations::RenameGroup(const std::string* pParentName, const std::string& strOldName,
                                      const std::string& strNewName) {
    int32_t lResult = CheckRenameGroup(pParentName, strOldName, strNewName);
    if (lResult == TQ_OK && strOldName == strNewName) {
        return TQ_OK;  // nothing changes, so nothing is left to save
    }
    if (lResult == TQ_OK) {
        lResult = m_file.RenameGroup(FindGroupToRename(pParentName, strOldName), strNewName);
    }
    if (lResult != TQ_OK) {
        return lResult;
    }
    m_file.SetStructureChanged();
    m_file.SetModified();
    return TQ_OK;
}

}  // namespace tq
