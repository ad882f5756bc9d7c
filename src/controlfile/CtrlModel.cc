#include "controlfile/CtrlModel.h"

namespace tq {

void CCtrlModel::Clear() {
    m_databases.clear();
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
    m_databases.push_back(std::make_unique<CCtrlDatabase>());
    return m_databases.back().get();
}

}  // namespace tq
