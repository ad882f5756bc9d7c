#include "applications/EditFileSets.h"

#include "platform/Cp932.h"

namespace tq {

bool CPathLess::operator()(std::string_view a, std::string_view b) const {
    return CompareNoCase(a, b) < 0;
}

void CEditFileSets::NoteAdded(const std::string& strPath) {
    if (m_removed.erase(strPath) == 0) {
        m_added.insert(strPath);
    }
}

void CEditFileSets::NoteRemoved(const std::string& strPath) {
    if (m_added.erase(strPath) == 0) {
        m_removed.insert(strPath);
    }
}

}  // namespace tq
