#include "controlfile/CtrlModel.h"

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
    m_dwSelectAllDisabled = 0;
    m_dwBlankSources = 0;
    m_dwDivideNoBookmark = 0;
    m_dwAddID = 0;
    m_strOutputLog.clear();
    m_removedNames.clear();
    m_groupSet.Clear();
}

CCtrlDatabase* CCtrlModel::AppendDatabase() {
    m_databases.push_back(std::make_unique<CCtrlDatabase>(m_pPool.get()));
    return m_databases.back().get();
}

}  // namespace tq
