// Filing databases into groups and renaming groups.
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

int32_t CCtrlFile::AddDBToGroup(int32_t index, const std::string& strGroupName,
                                const std::string* pParentName) {
    if (!IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    int32_t lResult = CheckGroupName(strGroupName);
    if (lResult != TQ_OK) {
        return lResult;
    }
    CCtrlGroup* pParent = &m_groupSet;
    if (pParentName != nullptr && !pParentName->empty()) {
        if (HasControlChar(*pParentName)) {
            return TQE_CONTROL_CHAR;
        }
        pParent = m_groupSet.FindChildByName(&m_groupSet, *pParentName, false);
        if (pParent == nullptr) {
            const int32_t nId = m_groupSet.AddNewGroup(0, *pParentName);
            if (nId < 0) {
                return nId;
            }
            m_groupIndex.Add(m_groupSet, *pParentName);
            pParent = m_groupSet.FindGroup(nId);
        }
    }
    CCtrlGroup* pGroup = m_groupSet.FindChildByName(pParent, strGroupName, false);
    if (pGroup == nullptr) {
        const int32_t nId =
            m_groupSet.AddNewGroup(pParent == &m_groupSet ? 0 : pParent->GetId(), strGroupName);
        if (nId < 0) {
            return nId;
        }
        m_groupIndex.Add(m_groupSet, strGroupName);
        pGroup = m_groupSet.FindGroup(nId);
    }
    m_groupSet.FindAndReference(pGroup->GetId());
    GetDatabase(static_cast<size_t>(index))->m_groups.push_back(pGroup);
    m_dwModified = 1;
    return TQ_OK;
}

CCtrlGroup* CCtrlFile::FindGroupToRename(const std::string* pParentName,
                                         const std::string& strOldName) const {
    const CCtrlGroup* pParent = &m_groupSet;
    if (pParentName != nullptr) {
        pParent = m_groupSet.FindChildByName(&m_groupSet, *pParentName, false);
        if (pParent == nullptr) {
            return nullptr;
        }
    }
    return m_groupSet.FindChildByName(pParent, strOldName, false);
}

int32_t CCtrlFile::CheckRenameGroup(const std::string* pParentName, const std::string& strOldName,
                                    const std::string& strNewName) const {
    const CCtrlGroup* pGroup = FindGroupToRename(pParentName, strOldName);
    if (pGroup == nullptr) {
        return TQE_GROUP_NAME;
    }
    int32_t lResult = CheckGroupName(strNewName);
    if (lResult == TQ_OK && pGroup->GetName() != strNewName &&
        m_groupSet.FindChildByName(pGroup->GetParent(), strNewName, false) != nullptr) {
        lResult = TQE_GROUP_NAME_TWICE;
    }
    return lResult;
}

int32_t CCtrlFile::RenameGroup(const std::string* pParentName, const std::string& strOldName,
                               const std::string& strNewName) {
    int32_t lResult = CheckRenameGroup(pParentName, strOldName, strNewName);
    if (lResult == TQ_OK && strOldName == strNewName) {
        return TQ_OK;  // nothing changes, so nothing is left to save
    }
    if (lResult == TQ_OK) {
        lResult = m_groupSet.RenameGroup(FindGroupToRename(pParentName, strOldName), strNewName);
    }
    if (lResult != TQ_OK) {
        return lResult;
    }
    m_groupIndex.Add(m_groupSet, strNewName);
    m_dwStructureChanged = 1;
    m_dwModified = 1;
    return TQ_OK;
}

}  // namespace tq
