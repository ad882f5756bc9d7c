#include "applications/EditFileSets.h"

namespace tq {

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
