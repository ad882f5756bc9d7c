// The file changes of the edit dialog, kept as two sets of full paths: the paths added that the
// application did not have, and the paths of the application taken away. A path is never in
// both. Paths match without regard to case (double-byte characters whole), as the target list
// and the documents of a database match them: a file taken away and put back in another case is
// no change.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace tq {

// Orders paths ignoring case, so that spellings of one path are one element.
struct CPathLess {
    bool operator()(std::string_view a, std::string_view b) const;
};

using CPathSet = std::set<std::string, CPathLess>;

class CEditFileSets {
public:
    // An added path cancels its own earlier removal; otherwise it is an addition.
    void NoteAdded(const std::string& strPath);
    // A removed path cancels its own earlier addition; otherwise it is a removal.
    void NoteRemoved(const std::string& strPath);

    const CPathSet& GetAdded() const { return m_added; }
    const CPathSet& GetRemoved() const { return m_removed; }

private:
    CPathSet m_added;
    CPathSet m_removed;
};

}  // namespace tq
