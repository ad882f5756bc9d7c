// The file changes of the edit dialog, kept as two sets of full paths (compared byte for
// byte): the paths added that the application did not have, and the paths of the application
// taken away. A path is never in both.
#pragma once

#include <set>
#include <string>

namespace tq {

class CEditFileSets {
public:
    // An added path cancels its own earlier removal; otherwise it is an addition.
    void NoteAdded(const std::string& strPath);
    // A removed path cancels its own earlier addition; otherwise it is a removal.
    void NoteRemoved(const std::string& strPath);

    const std::set<std::string>& GetAdded() const { return m_added; }
    const std::set<std::string>& GetRemoved() const { return m_removed; }

private:
    std::set<std::string> m_added;
    std::set<std::string> m_removed;
};

}  // namespace tq
