#include "controlfile/GroupNameIndex.h"

#include "platform/Cp932.h"

namespace tq {

void CGroupNameIndex::Rebuild(const CCtrlGroupSet& set) {
    m_names.clear();
    WalkPreorder(set, [this, &set](const CCtrlGroup& g) {
        if (&g != &set) {
            m_names.insert(ToLowerCp932(g.GetName()));
        }
        return true;
    });
    m_nGroupCount = set.GetGroupCount();
    m_bValid = true;
}

void CGroupNameIndex::Add(const CCtrlGroupSet& set, std::string_view name) {
    if (m_bValid) {
        m_names.insert(ToLowerCp932(name));
        m_nGroupCount = set.GetGroupCount();
    }
}

bool CGroupNameIndex::Contains(const CCtrlGroupSet& set, std::string_view name) {
    // A count that moved behind the index's back (a load, a renumbering) means groups it has
    // not seen may exist.
    if (!m_bValid || m_nGroupCount != set.GetGroupCount()) {
        Rebuild(set);
    }
    if (m_names.count(ToLowerCp932(name)) == 0) {
        return false;
    }
    if (set.FindByNameNoCase(&set, name, true) != nullptr) {
        return true;
    }
    Rebuild(set);
    return false;
}

}  // namespace tq
