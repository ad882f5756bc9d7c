#include "manager/PendingGroupIds.h"

#include <cstdio>
#include <map>

namespace tq {

std::string GroupTreeMark(const CCtrlGroupSet& groups) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a over "id parent name\n" lines
    const auto add = [&hash](std::string_view bytes) {
        for (unsigned char c : bytes) {
            hash = (hash ^ c) * 1099511628211ull;
        }
    };
    groups.ForEachById([&add](const CCtrlGroup& group) {
        const CCtrlGroup* pParent = group.GetParent();
        add(std::to_string(group.GetId()) + " " +
            std::to_string(pParent != nullptr ? pParent->GetId() : -1) + " ");
        add(group.GetName());
        add("\n");
    });
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%016llx", groups.GetGroupCount(),
                  static_cast<unsigned long long>(hash));
    return buf;
}

int32_t PutAsidePendingGroupIds(CCtrlGroupSet& groups, CProductRegKey& key) {
    const std::map<uint32_t, uint32_t> ids = groups.GiveUniqueIds();
    return key.SetPendingGroupIds(GroupTreeMark(groups), ids, groups.GetNextUniqueId());
}

bool TakeUpPendingGroupIds(CCtrlGroupSet& groups, const CProductRegKey& key) {
    std::string strTree;
    std::map<uint32_t, uint32_t> ids;
    uint32_t dwNext = 0;
    if (key.GetPendingGroupIds(strTree, ids, dwNext) != 0 || strTree != GroupTreeMark(groups)) {
        return false;
    }
    // A group the record lacks gets a new id at the next save rather than another's.
    groups.ForEachById([&ids, &dwNext](const CCtrlGroup& g) {
        CCtrlGroup& group = const_cast<CCtrlGroup&>(g);
        const auto it = ids.find(static_cast<uint32_t>(group.GetId()));
        group.m_dwUniqueId = it != ids.end() ? it->second : 0;
        if (group.m_dwUniqueId >= dwNext) {
            dwNext = group.m_dwUniqueId + 1;
        }
    });
    if (dwNext > groups.GetNextUniqueId()) {
        groups.SetNextUniqueId(dwNext);
    }
    return true;
}

}  // namespace tq
