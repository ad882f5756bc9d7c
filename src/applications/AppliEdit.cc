// Adding, renaming and removing user applications (free-type databases).
#include <memory>

#include "applications/TextRules.h"
#include "manager/CtrlFile.h"
#include "platform/Cp932.h"
#include "platform/MessageBox.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {
namespace {

constexpr size_t kMaxPublicName = 256;

// The rule for public names: 1 to 256 bytes, no control characters.
int32_t CheckPublicName(const std::string& strName) {
    if (strName.empty() || strName.size() > kMaxPublicName) {
        return TQE_DBNAME_RESERVED;
    }
    return HasControlChar(strName) ? TQE_CONTROL_CHAR : TQ_OK;
}

}  // namespace

int32_t CCtrlFile::CheckFreeType(int32_t index) const {
    if (!IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    if (static_cast<size_t>(index) < m_nFixedCount + m_nSelectionCount) {
        return TQE_DB_LOCKED;
    }
    return TQ_OK;
}

int32_t CCtrlFile::AddAppli(int32_t type, const std::string& strPublicName) {
    int32_t lResult = CheckPublicName(strPublicName);
    if (lResult != TQ_OK) {
        return lResult;
    }
    if (FindDBByPublicName(DBTYPE_ALL, strPublicName) >= 0) {
        return TQE_DBNAME_TWICE;
    }
    if (m_groupIndex.Contains(m_groupSet, strPublicName)) {
        return TQE_GROUP_NAME_USED;
    }
    if (type < DBTYPE_ALL || type > DBTYPE_FREE) {
        return TQE_DB_TYPE;
    }
    std::string strName;
    lResult = MakeDBName(strPublicName, -1, strName);
    if (lResult < 0) {
        return lResult;
    }
    auto pDb = std::make_unique<CCtrlDatabase>();
    pDb->m_strPublicName = strPublicName;
    pDb->m_strName = strName;
    pDb->m_dwState = DBSTATE_NEW | DBSTATE_REBUILD;
    size_t pos = GetDBCount();
    if (type == DBTYPE_FIXED) {
        pos = m_nFixedCount++;
    } else if (type == DBTYPE_SELECTION) {
        pos = m_nFixedCount + m_nSelectionCount++;
    } else {
        ++m_nFreeCount;
    }
    m_databases.insert(m_databases.begin() + static_cast<ptrdiff_t>(pos), std::move(pDb));
    if (pos + 1 == GetDBCount()) {
        m_dbIndex.Add(*this, pos);
    } else {
        m_dbIndex.Invalidate();  // the databases after it moved
    }
    m_dwModified = 1;
    return TQ_OK;
}

int32_t CCtrlFile::CheckRenameAppli(int32_t index, const std::string& strPublicName) const {
    int32_t lResult = CheckFreeType(index);
    if (lResult == TQ_OK) {
        lResult = CheckPublicName(strPublicName);
    }
    if (lResult != TQ_OK) {
        return lResult;
    }
    const auto pos = static_cast<size_t>(index);
    const CCtrlDatabase& db = *GetDatabase(pos);
    if (strPublicName == db.m_strPublicName) {
        return TQ_OK;
    }
    for (size_t other : m_dbIndex.FindPublicName(*this, strPublicName)) {
        if (other != pos) {
            return TQE_DBNAME_TWICE;
        }
    }
    if (!db.m_strPrevPublicName.empty() && EqualsNoCase(strPublicName, db.m_strPrevPublicName)) {
        return TQ_OK;
    }
    // A change of case only keeps the application's own subgroup, which bears its name.
    if (!EqualsNoCase(strPublicName, db.m_strPublicName) &&
        m_groupIndex.Contains(m_groupSet, strPublicName)) {
        return TQE_GROUP_NAME_USED;
    }
    std::string strName;
    lResult = MakeDBName(strPublicName, index, strName);
    return lResult < 0 ? lResult : TQ_OK;
}

int32_t CCtrlFile::RenameAppli(int32_t index, const std::string& strPublicName) {
    int32_t lResult = CheckRenameAppli(index, strPublicName);
    if (lResult != TQ_OK) {
        return lResult;
    }
    const auto pos = static_cast<size_t>(index);
    CCtrlDatabase& db = *GetDatabase(pos);
    if (strPublicName == db.m_strPublicName) {
        return TQ_OK;
    }
    if (!db.m_strPrevPublicName.empty() && EqualsNoCase(strPublicName, db.m_strPrevPublicName)) {
        // Back to the name the control file knows: the database name it had comes back too.
        m_dbIndex.Remove(*this, pos);
        db.m_strPublicName = strPublicName;
        if (!db.m_strPrevName.empty()) {
            db.m_strName = db.m_strPrevName;
            db.m_strPrevName.clear();
        }
        if (strPublicName == db.m_strPrevPublicName) {
            db.m_strPrevPublicName.clear();
            db.m_dwState &= ~DBSTATE_NAME_CHANGED;
        }
        m_dbIndex.Add(*this, pos);
        return TQ_OK;
    }
    const CCtrlDatabase saved = db;
    m_dbIndex.Remove(*this, pos);
    // The names the builder knows are kept from the first rename on. A return to the known
    // name in another case gives the known database name back and clears only that record,
    // so each is taken again when it is empty.
    if ((db.m_dwState & DBSTATE_NEW) == 0) {
        if (db.m_strPrevPublicName.empty()) {
            db.m_strPrevPublicName = db.m_strPublicName;
        }
        if (db.m_strPrevName.empty()) {
            db.m_strPrevName = db.m_strName;
        }
    }
    db.m_dwState |= DBSTATE_NAME_CHANGED;
    db.m_strPublicName = strPublicName;
    std::string strName;
    lResult = MakeDBName(strPublicName, index, strName);
    if (lResult < 0) {
        db = saved;
        m_dbIndex.Add(*this, pos);
        return lResult;
    }
    db.m_strName = strName;
    m_dbIndex.Add(*this, pos);
    m_dwStructureChanged = 1;
    m_dwModified = 1;
    return TQ_OK;
}

void CCtrlFile::ReleaseGroups(CCtrlDatabase& db) {
    // A group goes when neither it nor any group below it is used any more. Every later entry
    // of the list still holds its reference, so no group removed here holds one of them.
    for (CCtrlGroup* pGroup : db.m_groups) {
        m_groupSet.Release(pGroup);
        if (!CCtrlGroupSet::IsInUse(pGroup)) {
            m_groupSet.RemoveFromTree(pGroup);
        }
    }
    db.m_groups.clear();
}

int32_t CCtrlFile::RemoveAppli(int32_t index, bool bConfirm) {
    const int32_t lResult = CheckFreeType(index);
    if (lResult != TQ_OK) {
        return lResult;
    }
    if (bConfirm &&
        GetMessageBox().AskYesNo(LoadString(IDS_CONFIRM_REMOVE_APP), GetCaption()) != IDYES) {
        return TQE_CANCELLED;
    }
    const auto it = m_databases.begin() + index;
    std::unique_ptr<CCtrlDatabase> pDb = std::move(*it);
    m_databases.erase(it);
    if ((pDb->m_dwState & DBSTATE_NEW) == 0) {
        m_removedNames.emplace_back(pDb->m_strPrevName.empty() ? pDb->m_strName
                                                               : pDb->m_strPrevName);
    }
    ReleaseGroups(*pDb);
    --m_nFreeCount;
    m_dbIndex.Invalidate();
    m_dwStructureChanged = 1;
    m_dwModified = 1;
    return TQ_OK;
}

}  // namespace tq
