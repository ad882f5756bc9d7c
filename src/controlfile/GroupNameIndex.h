// Whether any group of the tree bears a name, ignoring case, in constant time. The index holds
// every name the tree had at its last rebuild plus every name given since through the
// application operations, so it may hold names that are gone (groups dropped by renumbering or
// by removing an application) but never misses one: a miss is the answer, a hit is checked
// against the tree and, when false, rebuilds the index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "controlfile/CtrlGroupSet.h"

namespace tq {

class CGroupNameIndex {
public:
    void Invalidate() { m_bValid = false; }
    // A group has just been created or renamed to this name.
    void Add(const CCtrlGroupSet& set, std::string_view name);
    bool Contains(const CCtrlGroupSet& set, std::string_view name);

private:
    void Rebuild(const CCtrlGroupSet& set);

    bool m_bValid = false;
    int32_t m_nGroupCount = 0;
    std::unordered_set<std::string> m_names;
};

}  // namespace tq
