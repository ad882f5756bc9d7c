// Addressing databases by type and number, finding them by public name, and selecting them.
#include "manager/CtrlFile.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

struct CRange {
    size_t m_begin;
    size_t m_end;
};

// The positions a database type covers; false for an unknown type.
bool GetTypeRange(const CCtrlModel& model, int32_t type, CRange& range) {
    const size_t fixed = model.m_nFixedCount;
    const size_t selection = model.m_nSelectionCount;
    switch (type) {
        case DBTYPE_ALL:
            range = {0, model.GetDBCount()};
            return true;
        case DBTYPE_FIXED:
            range = {0, fixed};
            return true;
        case DBTYPE_SELECTION:
            range = {fixed, fixed + selection};
            return true;
        case DBTYPE_FREE:
            range = {fixed + selection, model.GetDBCount()};
            return true;
        default:
            return false;
    }
}

}  // namespace

bool CCtrlFile::IsValidIndex(int32_t index) const {
    return index >= 0 && static_cast<size_t>(index) < GetDBCount();
}

int32_t CCtrlFile::CountDBs(int32_t type) const {
    CRange range;
    if (!GetTypeRange(*this, type, range)) {
        return TQE_DB_TYPE;
    }
    return static_cast<int32_t>(range.m_end - range.m_begin);
}

int32_t CCtrlFile::GetDBIndex(int32_t type, int32_t number) const {
    CRange range;
    if (!GetTypeRange(*this, type, range)) {
        return TQE_DB_TYPE;
    }
    if (number < 0 || static_cast<size_t>(number) >= range.m_end - range.m_begin) {
        return TQE_DB_NUMBER;
    }
    return static_cast<int32_t>(range.m_begin) + number;
}

int32_t CCtrlFile::FindDBByPublicName(int32_t type, std::string_view strName) const {
    CRange range;
    if (!GetTypeRange(*this, type, range)) {
        return TQE_DB_TYPE;
    }
    for (size_t pos : m_dbIndex.FindPublicName(*this, strName)) {
        if (pos >= range.m_begin && pos < range.m_end) {
            return static_cast<int32_t>(pos - range.m_begin);
        }
    }
    return TQE_DBNAME_NOT_FOUND;
}

std::string CCtrlFile::GetPublicName(int32_t index) const {
    return IsValidIndex(index)
               ? std::string(GetDatabase(static_cast<size_t>(index))->m_strPublicName)
               : std::string();
}

int32_t CCtrlFile::GetDocCount(int32_t index) const {
    if (!IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    return static_cast<int32_t>(GetDatabase(static_cast<size_t>(index))->m_docs.size());
}

int32_t CCtrlFile::SetDBSelected(int32_t index, int32_t selected) {
    if (!IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    if (static_cast<size_t>(index) < m_nFixedCount) {
        return TQE_DB_LOCKED;
    }
    // No model flag: the save compares the flag with the selection it last saved, so a
    // database deselected and selected again costs nothing.
    CCtrlDatabase& db = *GetDatabase(static_cast<size_t>(index));
    if (selected == 0) {
        db.m_dwState |= DBSTATE_DESELECTED;
    } else {
        db.m_dwState &= ~DBSTATE_DESELECTED;
    }
    return TQ_OK;
}

}  // namespace tq
