#include "controlfile/CtrlCompare.h"

#include "platform/Cp932.h"

namespace tq {
namespace {

bool GlobalsEqual(const CCtrlSettings& a, const CCtrlSettings& b) {
    return EqualsNoCase(a.m_strOutputLog, b.m_strOutputLog) &&
           a.m_dwSelectAllDisabled == b.m_dwSelectAllDisabled &&
           a.m_dwBlankSources == b.m_dwBlankSources &&
           a.m_dwDivideNoBookmark == b.m_dwDivideNoBookmark && a.m_dwAddID == b.m_dwAddID;
}

bool GroupNamesEqual(const CCtrlDatabase& a, const CCtrlDatabase& b) {
    if (a.m_groups.size() != b.m_groups.size()) {
        return false;
    }
    for (size_t i = 0; i < a.m_groups.size(); ++i) {
        if (a.m_groups[i]->GetName() != b.m_groups[i]->GetName()) {
            return false;
        }
    }
    return true;
}

bool DatabasesEqual(const CCtrlDatabase& a, const CCtrlDatabase& b) {
    return a.m_strName == b.m_strName && a.m_strPublicName == b.m_strPublicName &&
           a.m_dwAttributes == b.m_dwAttributes && a.m_strDocListFile == b.m_strDocListFile &&
           a.m_strPdfSkipTitleFile == b.m_strPdfSkipTitleFile && a.m_docs == b.m_docs &&
           a.m_skipDocs == b.m_skipDocs && GroupNamesEqual(a, b);
}

}  // namespace

bool CtrlModelsEqual(const CCtrlModel& saved, const CCtrlModel& onDisk) {
    if (!GlobalsEqual(saved.GetSettings(), onDisk.GetSettings()) ||
        !saved.GetGroupSet().Equals(onDisk.GetGroupSet())) {
        return false;
    }
    size_t other = 0;
    for (const auto& pDb : saved.GetDatabases()) {
        if (pDb->IsDeselected()) {
            continue;
        }
        if (other == onDisk.GetDBCount() || !DatabasesEqual(*pDb, *onDisk.GetDatabase(other))) {
            return false;
        }
        ++other;
    }
    return other == onDisk.GetDBCount();
}

}  // namespace tq
