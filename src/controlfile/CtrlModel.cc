#include "controlfile/CtrlModel.h"

#include "resources/ErrorCodes.h"

namespace tq {

namespace {

// Pool chunks big enough that a large file costs few allocations, small enough that an empty
// model costs little.
std::unique_ptr<std::pmr::memory_resource> NewPool(ETextMemory eTexts) {
    if (eTexts == ETextMemory::kReadOnly) {
        return std::make_unique<std::pmr::monotonic_buffer_resource>(size_t{64} * 1024);
    }
    std::pmr::pool_options options;
    options.max_blocks_per_chunk = 4096;
    options.largest_required_pool_block = 4096;
    return std::make_unique<std::pmr::unsynchronized_pool_resource>(options);
}

struct CRange {
    size_t m_begin;
    size_t m_end;
};

// The positions a database type covers; false for an unknown type.
bool GetTypeRange(const CCtrlModel& model, int32_t type, CRange& range) {
    const size_t fixed = model.GetFixedCount();
    const size_t selection = model.GetSelectionCount();
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

CCtrlModel::CCtrlModel(ETextMemory eTexts) : m_eTexts(eTexts), m_pPool(NewPool(eTexts)) {}

void CCtrlModel::Clear() {
    m_databases.clear();
    // Every text of the databases came from the pool: hand its memory back in one go rather
    // than keep the chunks of the largest file ever loaded.
    m_pPool = NewPool(m_eTexts);
    m_dwStructureChanged = 0;
    m_nFixedCount = 0;
    m_nSelectionCount = 0;
    m_nFreeCount = 0;
    m_settings = CCtrlSettings();
    m_removedNames.clear();
    m_groupSet.Clear();
    m_dbIndex.Invalidate();
    m_groupIndex.Invalidate();
}

bool CCtrlModel::IsValidIndex(int32_t index) const {
    return index >= 0 && static_cast<size_t>(index) < GetDBCount();
}

int32_t CCtrlModel::CountDBs(int32_t type) const {
    CRange range;
    if (!GetTypeRange(*this, type, range)) {
        return TQE_DB_TYPE;
    }
    return static_cast<int32_t>(range.m_end - range.m_begin);
}

int32_t CCtrlModel::GetDBIndex(int32_t type, int32_t number) const {
    CRange range;
    if (!GetTypeRange(*this, type, range)) {
        return TQE_DB_TYPE;
    }
    if (number < 0 || static_cast<size_t>(number) >= range.m_end - range.m_begin) {
        return TQE_DB_NUMBER;
    }
    return static_cast<int32_t>(range.m_begin) + number;
}

int32_t CCtrlModel::FindDBByPublicName(int32_t type, std::string_view strName) const {
    CRange range;
    if (!GetTypeRange(*this, type, range)) {
        return TQE_DB_TYPE;
    }
    for (size_t pos : FindPublicNames(strName)) {
        if (pos >= range.m_begin && pos < range.m_end) {
            return static_cast<int32_t>(pos - range.m_begin);
        }
    }
    return TQE_DBNAME_NOT_FOUND;
}

std::string CCtrlModel::GetPublicName(int32_t index) const {
    return IsValidIndex(index)
               ? std::string(GetDatabase(static_cast<size_t>(index))->m_strPublicName)
               : std::string();
}

int32_t CCtrlModel::GetDocCount(int32_t index) const {
    if (!IsValidIndex(index)) {
        return TQE_DB_NUMBER;
    }
    return static_cast<int32_t>(GetDatabase(static_cast<size_t>(index))->m_docs.size());
}

const std::vector<size_t>& CCtrlModel::FindPublicNames(std::string_view text) const {
    return m_dbIndex.FindPublicName(*this, text);
}

const std::vector<size_t>& CCtrlModel::FindNames(std::string_view text) const {
    return m_dbIndex.FindName(*this, text);
}

bool CCtrlModel::HasGroupNamed(std::string_view name) const {
    return m_groupIndex.Contains(m_groupSet, name);
}

std::unique_ptr<CCtrlDatabase> CCtrlModel::NewDatabase() const {
    return std::make_unique<CCtrlDatabase>(m_pPool.get());
}

// Where a database of the type goes, and its count taken up.
size_t CCtrlModel::PlaceDatabase(int32_t type, std::unique_ptr<CCtrlDatabase> pDb) {
    size_t pos = GetDBCount();
    if (type == DBTYPE_FIXED) {
        pos = m_nFixedCount++;
    } else if (type == DBTYPE_SELECTION) {
        pos = m_nFixedCount + m_nSelectionCount++;
    } else {
        ++m_nFreeCount;
    }
    m_databases.insert(m_databases.begin() + static_cast<ptrdiff_t>(pos), std::move(pDb));
    return pos;
}

CCtrlDatabase* CCtrlModel::AppendDatabase(int32_t type) {
    // Its names are still to come: the lookups learn them at their next use.
    m_dbIndex.Invalidate();
    return GetDatabase(PlaceDatabase(type, NewDatabase()));
}

size_t CCtrlModel::InsertDatabase(int32_t type, std::unique_ptr<CCtrlDatabase> pDb) {
    const size_t pos = PlaceDatabase(type, std::move(pDb));
    if (pos + 1 == GetDBCount()) {
        m_dbIndex.Add(*this, pos);
    } else {
        m_dbIndex.Invalidate();  // the databases after it moved
    }
    return pos;
}

std::unique_ptr<CCtrlDatabase> CCtrlModel::RemoveDatabase(size_t index) {
    const auto it = m_databases.begin() + static_cast<ptrdiff_t>(index);
    std::unique_ptr<CCtrlDatabase> pDb = std::move(*it);
    m_databases.erase(it);
    if ((pDb->m_dwState & DBSTATE_NEW) == 0) {
        m_removedNames.emplace_back(pDb->m_strPrevName.empty() ? pDb->m_strName
                                                               : pDb->m_strPrevName);
    }
    if (index < m_nFixedCount) {
        --m_nFixedCount;
    } else if (index < m_nFixedCount + m_nSelectionCount) {
        --m_nSelectionCount;
    } else {
        --m_nFreeCount;
    }
    m_dbIndex.Invalidate();
    return pDb;
}

int32_t CCtrlModel::ChangeNames(size_t index,
                                const std::function<int32_t(CCtrlDatabase&)>& change) {
    m_dbIndex.Remove(*this, index);
    const int32_t lResult = change(*GetDatabase(index));
    m_dbIndex.Add(*this, index);
    return lResult;
}

int32_t CCtrlModel::AddGroup(int32_t nParentId, const std::string& strName) {
    const int32_t nId = m_groupSet.AddNewGroup(nParentId, strName);
    if (nId >= 0) {
        m_groupIndex.Add(m_groupSet, strName);
    }
    return nId;
}

int32_t CCtrlModel::RenameGroup(CCtrlGroup* pGroup, const std::string& strName) {
    const int32_t lResult = m_groupSet.RenameGroup(pGroup, strName);
    if (lResult == TQ_OK) {
        m_groupIndex.Add(m_groupSet, strName);
    }
    return lResult;
}

void CCtrlModel::RenumberGroups() {
    m_groupSet.Renumber();
    m_groupIndex.Invalidate();
}

void CCtrlModel::ClearChanges() {
    m_removedNames.clear();
    m_dwStructureChanged = 0;
    m_dwModified = 0;
}

}  // namespace tq
