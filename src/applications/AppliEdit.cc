// Adding, renaming and removing user applications (free-type databases).
#include <memory>

#include "applications/AppliOperations.h"
#include "applications/TextRules.h"
#include "manager/CtrlFile.h"
#include "platform/Cp932.h"
#include "resources/ErrorCodes.h"

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

int32_t CAppliOperations::AddAppli(int32_t type, const std::string& strPublicName) {
    int32_t lResult = CheckPublicName(strPublicName);
    if (lResult != TQ_OK) {
        return lResult;
    }
    if (m_file.FindDBByPublicName(DBTYPE_ALL, strPublicName) >= 0) {
        return TQE_DBNAME_TWICE;
    }
    if (m_file.HasGroupNamed(strPublicName)) {
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
    m_file.InsertDatabase(type, std::move(pDb));
    m_file.SetModified();
    return TQ_OK;
}

int32_t CAppliOperations::CheckRenameAppli(int32_t index, const std::string& strPublicName) const {
    int32_t lResult = CheckFreeType(index);
    if (lResult == TQ_OK) {
        lResult = CheckPublicName(strPublicName);
    }
    if (lResult != TQ_OK) {
        return lResult;
    }
    const auto pos = static_cast<size_t>(index);
    const CCtrlDatabase& db = *m_file.GetDatabase(pos);
    if (strPublicName == db.m_strPublicName) {
        return TQ_OK;
    }
    for (size_t other : m_file.FindPublicNames(strPublicName)) {
        if (other != pos) {
            return TQE_DBNAME_TWICE;
        }
    }
    if (!db.m_strPrevPublicName.empty() && EqualsNoCase(strPublicName, db.m_strPrevPublicName)) {
        return TQ_OK;
    }
    // A change of case only keeps the application's own subgroup, which bears its name.
    if (!EqualsNoCase(strPublicName, db.m_strPublicName) && m_file.HasGroupNamed(strPublicName)) {
        return TQE_GROUP_NAME_USED;
    }
    std::string strName;
    lResult = MakeDBName(strPublicName, index, strName);
    return lResult < 0 ? lResult : TQ_OK;
}

int32_t CAppliOperations::RenameAppli(int32_t index, const std::string& strPublicName) {
    int32_t lResult = CheckRenameAppli(index, strPublicName);
    if (lResult != TQ_OK) {
        return lResult;
    }
    const auto pos = static_cast<size_t>(index);
    const CCtrlDatabase& db = *m_file.GetDatabase(pos);
    if (strPublicName == db.m_strPublicName) {
        return TQ_OK;
    }
    if (db.m_strPrevPublicName.empty() || !EqualsNoCase(strPublicName, db.m_strPrevPublicName)) {
        return RenameToNew(pos, strPublicName);
    }
    // Back to the name the control file knows: the database name it had comes back too.
    return m_file.ChangeNames(pos, [&strPublicName](CCtrlDatabase& known) {
        known.m_strPublicName = strPublicName;
        if (!known.m_strPrevName.empty()) {
            known.m_strName = known.m_strPrevName;
            known.m_strPrevName.clear();
        }
        if (strPublicName == known.m_strPrevPublicName) {
            known.m_strPrevPublicName.clear();
            known.m_dwState &= ~DBSTATE_NAME_CHANGED;
        }
        return TQ_OK;
    });
}

// A public name the control file does not know for the database: a new database name too.
int32_t CAppliOperations::RenameToNew(size_t pos, const std::string& strPublicName) {
    const int32_t lResult = m_file.ChangeNames(pos, [&](CCtrlDatabase& db) {
        const CCtrlDatabase saved = db;
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
        const int32_t lNamed = MakeDBName(strPublicName, static_cast<int32_t>(pos), strName);
        if (lNamed < 0) {
            db = saved;
            return lNamed;
        }
        db.m_strName = strName;
        return TQ_OK;
    });
    if (lResult == TQ_OK) {
        m_file.SetStructureChanged();
        m_file.SetModified();
    }
    return lResult;
}

void CAppliOperations::ReleaseGroups(CCtrlDatabase& db) {
    // A group goes when neither it nor any group below it is used any more. Every later entry
    // of the list still holds its reference, so no group removed here holds one of them.
    CCtrlGroupSet& groups = m_file.GetGroupSet();
    for (CCtrlGroup* pGroup : db.m_groups) {
        groups.Release(pGroup);
        if (!CCtrlGroupSet::IsInUse(pGroup)) {
            groups.RemoveFromTree(pGroup);
        }
    }
    db.m_groups.clear();
}

int32_t CAppliOperations::RemoveAppli(int32_t index, EConsent consent) {
    int32_t lResult = CheckFreeType(index);
    if (lResult == TQ_OK) {
        lResult = CheckConsent(consent);
    }
    if (lResult != TQ_OK) {
        return lResult;
    }
    std::unique_ptr<CCtrlDatabase> pDb = m_file.RemoveDatabase(static_cast<size_t>(index));
    ReleaseGroups(*pDb);
    m_file.SetStructureChanged();
    m_file.SetModified();
    return TQ_OK;
}

}  // namespace tq
