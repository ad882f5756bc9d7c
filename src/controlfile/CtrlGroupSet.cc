#include "controlfile/CtrlGroupSet.h"

#include <algorithm>
#include <limits>
#include <map>

#include "controlfile/NameRules.h"
#include "platform/Cp932.h"
#include "platform/Win32Error.h"
#include "resources/ErrorCodes.h"

namespace tq {

void SplitGroupValue(std::string_view text, int32_t& nParentId, std::string& strName) {
    // Digits up to an "@" give the parent id; anything else first makes the whole text the
    // name. The number saturates instead of wrapping, so a huge parent id names no group
    // rather than some other one.
    int64_t n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '@') {
            nParentId = static_cast<int32_t>(n);
            strName.assign(text.substr(i + 1));
            return;
        }
        if (c < '0' || c > '9') {
            break;
        }
        n = std::min<int64_t>(n * 10 + (c - '0'), std::numeric_limits<int32_t>::max());
    }
    nParentId = -1;
    strName.assign(text);
}

size_t CCtrlGroupSet::CNameKeyHash::operator()(const CNameKey& k) const {
    size_t h = std::hash<std::string_view>()(k.m_name);
    return h ^
           (std::hash<const void*>()(k.m_pParent) + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2));
}

void CCtrlGroupSet::IndexNode(CCtrlGroup& node) {
    m_byId[node.m_nId] = &node;
    m_byName.emplace(CNameKey{node.m_pParent, node.m_strName}, &node);
}

void CCtrlGroupSet::UnindexNode(CCtrlGroup& node) {
    auto it = m_byId.find(node.m_nId);
    if (it != m_byId.end() && it->second == &node) {
        m_byId.erase(it);
    }
    auto range = m_byName.equal_range(CNameKey{node.m_pParent, node.m_strName});
    for (auto n = range.first; n != range.second; ++n) {
        if (n->second == &node) {
            m_byName.erase(n);
            break;
        }
    }
}

bool CCtrlGroupSet::HasChildNamed(const CCtrlGroup* pParent, std::string_view name) const {
    return m_byName.find(CNameKey{pParent, name}) != m_byName.end();
}

void CCtrlGroupSet::RebuildIndexes() {
    m_byId.clear();
    m_byName.clear();
    for (const auto& child : m_children) {
        WalkPreorder(*child, [this](const CCtrlGroup& g) {
            IndexNode(const_cast<CCtrlGroup&>(g));
            return true;
        });
    }
}

void CCtrlGroupSet::LookUpUniqueId(CCtrlGroup& group) {
    uint32_t value = 0;
    if (m_pProductKey == nullptr ||
        m_pProductKey->GetGroupSetDWORD(static_cast<uint32_t>(group.m_nId), value) != 0) {
        return;
    }
    group.m_dwUniqueId = value;
    if (value >= m_dwNextUniqueId) {
        m_dwNextUniqueId = value + 1;
    }
}

CCtrlGroup* CCtrlGroupSet::NewChild(CCtrlGroup* pParent, int32_t nId, const std::string& strName,
                                    bool bPlaceholder) {
    auto node = std::make_unique<CCtrlGroup>(nId, strName);
    node->m_pParent = pParent;
    node->m_dwPlaceholder = bPlaceholder ? 1 : 0;
    CCtrlGroup* p = node.get();
    pParent->m_children.push_back(std::move(node));
    ++m_nGroupCount;
    IndexNode(*p);
    LookUpUniqueId(*p);
    return p;
}

bool CCtrlGroupSet::IsAncestorOrSelf(const CCtrlGroup& candidate, const CCtrlGroup* pNode) {
    for (; pNode != nullptr; pNode = pNode->m_pParent) {
        if (pNode == &candidate) {
            return true;
        }
    }
    return false;
}

void CCtrlGroupSet::MoveToParent(CCtrlGroup& node, CCtrlGroup& parent) {
    auto& siblings = node.m_pParent->m_children;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [&node](const auto& p) { return p.get() == &node; });
    std::unique_ptr<CCtrlGroup> owned = std::move(*it);
    siblings.erase(it);
    node.m_pParent = &parent;
    parent.m_children.push_back(std::move(owned));
}

int32_t CCtrlGroupSet::AddGroupLine(int32_t nId, std::string_view text) {
    int32_t nParentId = -1;
    std::string strName;
    SplitGroupValue(text, nParentId, strName);
    if (nId >= m_nNextId) {
        m_nNextId = nId + 1;
    }
    return InsertGroup(nParentId, strName, nId);
}

// The next unique id comes from the store once a load: a model that never inserts a group (a
// file without groups) must not start the count again at 1 and write that back.
void CCtrlGroupSet::EnsureNextUniqueId() {
    if (m_dwNextUniqueId == 0) {
        uint32_t value = 0;
        bool bRead = m_pProductKey != nullptr && m_pProductKey->GetNextUniqueID(value) == 0;
        m_dwNextUniqueId = bRead && value != 0 ? value : 1;
    }
}

int32_t CCtrlGroupSet::InsertGroup(int32_t nParentId, const std::string& strName, int32_t nId) {
    EnsureNextUniqueId();
    CCtrlGroup* pParent = this;
    if (nParentId > 0) {
        pParent = FindGroup(nParentId);
        if (pParent == nullptr) {
            pParent = NewChild(this, nParentId, std::string(), true);
        }
    }
    if (HasChildNamed(pParent, strName)) {
        return TQE_GROUP_NAME_TWICE;
    }
    CCtrlGroup* pExisting = FindGroup(nId);
    if (pExisting == nullptr) {
        NewChild(pParent, nId, strName, false);
        return TQ_OK;
    }
    // A placeholder may not become its own ancestor: that would cut a cycle out of the tree.
    if (!pExisting->IsPlaceholder() || IsAncestorOrSelf(*pExisting, pParent)) {
        return TQE_GROUP_INVALID;
    }
    UnindexNode(*pExisting);
    pExisting->m_strName = strName;
    pExisting->m_dwPlaceholder = 0;
    if (pExisting->m_pParent != pParent) {
        MoveToParent(*pExisting, *pParent);
    }
    IndexNode(*pExisting);
    return TQ_OK;
}

int32_t CCtrlGroupSet::AddNewGroup(int32_t nParentId, const std::string& strName) {
    if (m_nNextId < 1) {
        m_nNextId = 1;
    }
    int32_t nId = m_nNextId;
    int32_t lResult = InsertGroup(nParentId, strName, nId);
    if (lResult != TQ_OK) {
        return lResult;
    }
    // A group made while editing is new. Its number was never saved with it: an id kept under
    // that number belongs to a group of another numbering (one the control file still has after
    // a save that died), and the new group gets its own at the next save.
    FindGroup(nId)->m_dwUniqueId = 0;
    ++m_nNextId;
    return nId;
}

CCtrlGroup* CCtrlGroupSet::FindGroup(int32_t nId) const {
    auto it = m_byId.find(nId);
    return it == m_byId.end() ? nullptr : it->second;
}

CCtrlGroup* CCtrlGroupSet::FindAndReference(int32_t nId) {
    CCtrlGroup* p = FindGroup(nId);
    if (p != nullptr) {
        ++p->m_nRefCount;
    }
    return p;
}

void CCtrlGroupSet::Release(CCtrlGroup* pNode) {
    --pNode->m_nRefCount;
}

CCtrlGroup* CCtrlGroupSet::FindChildByName(const CCtrlGroup* pNode, std::string_view strName,
                                           bool bRecursive) const {
    if (!bRecursive) {
        // The name index answers at once: filing thousands of applications under one parent
        // must not scan its children each time. Only placeholders share a name (the empty
        // one); then the first in list order is wanted.
        auto range = m_byName.equal_range(CNameKey{pNode, strName});
        if (range.first == range.second || std::next(range.first) == range.second) {
            return range.first == range.second ? nullptr : range.first->second;
        }
        for (const auto& child : pNode->m_children) {
            if (child->m_strName == strName) {
                return child.get();
            }
        }
        return nullptr;
    }
    return const_cast<CCtrlGroup*>(WalkPreorder(*pNode, [pNode, strName](const CCtrlGroup& g) {
        return &g == pNode || g.GetName() != strName;
    }));
}

CCtrlGroup* CCtrlGroupSet::FindByNameNoCase(const CCtrlGroup* pNode, std::string_view strName,
                                            bool bRecursive) const {
    if (!bRecursive) {
        for (const auto& child : pNode->m_children) {
            if (EqualsNoCase(child->m_strName, strName)) {
                return child.get();
            }
        }
        return nullptr;
    }
    return const_cast<CCtrlGroup*>(WalkPreorder(*pNode, [pNode, strName](const CCtrlGroup& g) {
        return &g == pNode || !EqualsNoCase(g.GetName(), strName);
    }));
}

bool CCtrlGroupSet::IsInUse(const CCtrlGroup* pNode) {
    return WalkPreorder(*pNode, [](const CCtrlGroup& g) { return g.GetRefCount() == 0; }) !=
           nullptr;
}

std::unique_ptr<CCtrlGroup> CCtrlGroupSet::RemoveFromTree(CCtrlGroup* pNode) {
    if (pNode == nullptr || pNode == this || pNode->m_pParent == nullptr) {
        return nullptr;
    }
    WalkPreorder(*pNode, [this](const CCtrlGroup& g) {
        UnindexNode(const_cast<CCtrlGroup&>(g));
        --m_nGroupCount;
        if (g.IsSelectOff()) {
            --m_nSelectOffCount;
        }
        return true;
    });
    auto& siblings = pNode->m_pParent->m_children;
    auto it = std::find_if(siblings.begin(), siblings.end(),
                           [pNode](const auto& p) { return p.get() == pNode; });
    std::unique_ptr<CCtrlGroup> owned = std::move(*it);
    siblings.erase(it);
    return owned;
}

int32_t CCtrlGroupSet::RenameGroup(CCtrlGroup* pNode, const std::string& strName) {
    if (pNode->m_strName == strName) {
        return TQ_OK;
    }
    if (HasChildNamed(pNode->m_pParent, strName)) {
        return TQE_GROUP_NAME_TWICE;
    }
    UnindexNode(*pNode);
    pNode->m_strName = strName;
    IndexNode(*pNode);
    return TQ_OK;
}

void CCtrlGroupSet::Renumber() {
    CCtrlGroup* pDefault = m_nDefault > 0 ? FindGroup(m_nDefault) : nullptr;

    // In use = referenced, or an ancestor of a referenced group: one pass from the leaves up
    // (reverse preorder meets every child before its parent).
    std::vector<CCtrlGroup*> order;
    order.reserve(static_cast<size_t>(std::max(m_nGroupCount, 0)) + 1);
    WalkPreorder(*this, [&order](const CCtrlGroup& g) {
        order.push_back(const_cast<CCtrlGroup*>(&g));
        return true;
    });
    for (CCtrlGroup* g : order) {
        g->m_bMark = g->m_nRefCount != 0;
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if ((*it)->m_bMark && (*it)->m_pParent != nullptr) {
            (*it)->m_pParent->m_bMark = true;
        }
    }

    // Drop what is not in use, then number the rest in preorder.
    std::vector<std::unique_ptr<CCtrlGroup>> dropped;
    int32_t nNext = 0;
    int32_t nSelectOff = 0;
    std::vector<CCtrlGroup*> stack{this};
    while (!stack.empty()) {
        CCtrlGroup* p = stack.back();
        stack.pop_back();
        if (p != this) {
            p->m_nId = ++nNext;
            nSelectOff += p->IsSelectOff() ? 1 : 0;
        }
        auto& children = p->m_children;
        auto keep = std::stable_partition(children.begin(), children.end(),
                                          [](const auto& c) { return c->m_bMark; });
        for (auto it = keep; it != children.end(); ++it) {
            dropped.push_back(std::move(*it));
        }
        children.erase(keep, children.end());
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    // A default group that was not in use went with its subtree.
    if (pDefault != nullptr && !pDefault->m_bMark) {
        pDefault = nullptr;
    }
    m_nGroupCount = nNext;
    m_nSelectOffCount = nSelectOff;
    m_nDefault = pDefault != nullptr ? pDefault->m_nId : -1;
    dropped.clear();
    RebuildIndexes();
}

bool CCtrlGroupSet::Validate() {
    if (m_nGroupCount == 0) {
        m_nNextId = 1;
    }
    if (m_nDefault > 0 && FindGroup(m_nDefault) == nullptr) {
        return false;
    }
    return WalkPreorder(*this, [](const CCtrlGroup& g) { return !g.IsPlaceholder(); }) == nullptr;
}

int32_t CCtrlGroupSet::SetSelectOff(int32_t nId) {
    CCtrlGroup* p = FindGroup(nId);
    if (p == nullptr) {
        return TQE_GROUP_INVALID;
    }
    if (p->m_dwSelectOff == 0) {
        p->m_dwSelectOff = 1;
        ++m_nSelectOffCount;
    }
    return TQ_OK;
}

int32_t CCtrlGroupSet::GetSelectOffGroups(std::vector<int32_t>& ids) const {
    ids.clear();
    if (m_nSelectOffCount <= 0 || m_nNextId < 2) {
        return 0;
    }
    for (int32_t id = 1; id < m_nNextId && static_cast<int32_t>(ids.size()) < m_nSelectOffCount;
         ++id) {
        CCtrlGroup* p = FindGroup(id);
        if (p != nullptr && p->IsSelectOff()) {
            ids.push_back(id);
        }
    }
    return static_cast<int32_t>(ids.size());
}

int32_t CCtrlGroupSet::SetFamily(int32_t nFirst, int32_t nLast, const std::string& strName) {
    int32_t nVerdict = CheckDatabaseName(strName);
    if (nVerdict != DBNAME_OK && nVerdict != DBNAME_RESERVED) {
        return TQE_FAMILY_NAME;
    }
    for (int32_t id : IdsOfRange(nFirst, nLast)) {
        CCtrlGroup* p = FindGroup(id);
        if (p == nullptr) {
            if (id == nFirst || id == nLast) {
                return TQE_GROUP_INVALID;
            }
            continue;
        }
        if (!p->m_strFamily.empty()) {
            return TQE_FAMILY_TWICE;
        }
        p->m_strFamily = strName;
    }
    return TQ_OK;
}

std::vector<int32_t> CCtrlGroupSet::IdsOfRange(int32_t nFirst, int32_t nLast) const {
    // The ends always, and the ids between them that name a group, in increasing order. A
    // range far wider than the tree is served from the index rather than counted through.
    std::vector<int32_t> ids;
    if (nFirst > nLast) {
        return ids;
    }
    int64_t nWidth = static_cast<int64_t>(nLast) - nFirst;
    if (nWidth <= static_cast<int64_t>(m_byId.size()) + 1) {
        for (int64_t id = nFirst; id <= nLast; ++id) {
            ids.push_back(static_cast<int32_t>(id));
        }
        return ids;
    }
    for (const auto& entry : m_byId) {
        if (entry.first > nFirst && entry.first < nLast) {
            ids.push_back(entry.first);
        }
    }
    std::sort(ids.begin(), ids.end());
    ids.insert(ids.begin(), nFirst);
    ids.push_back(nLast);
    return ids;
}

bool CCtrlGroupSet::Equals(const CCtrlGroupSet& other) const {
    if (m_nGroupCount != other.m_nGroupCount || m_nDefault != other.m_nDefault) {
        return false;
    }
    std::vector<std::pair<const CCtrlGroup*, const CCtrlGroup*>> stack{{this, &other}};
    while (!stack.empty()) {
        auto [a, b] = stack.back();
        stack.pop_back();
        if (a->m_strName != b->m_strName || a->m_children.size() != b->m_children.size()) {
            return false;
        }
        for (size_t i = 0; i < a->m_children.size(); ++i) {
            stack.emplace_back(a->m_children[i].get(), b->m_children[i].get());
        }
    }
    return true;
}

void CCtrlGroupSet::Clear() {
    m_byId.clear();
    m_byName.clear();
    m_children.clear();
    m_nGroupCount = 0;
    m_nNextId = -1;
    m_nDefault = -1;
    m_nSelectOffCount = 0;
    // The next unique id is read from the registry again at the next load: another editor may
    // have handed out ids since, and one of a group it removed must not come back.
    m_dwNextUniqueId = 0;
}

int32_t CCtrlGroupSet::LargestId() const {
    int32_t nMax = 0;
    for (const auto& [id, p] : m_byId) {
        nMax = std::max(nMax, id);
    }
    return nMax;
}

void CCtrlGroupSet::ForEachById(const std::function<void(const CCtrlGroup&)>& fn) const {
    // Ids are unique, so counting the groups met finds them all; the largest id bounds the
    // walk even if the count and the tree disagree.
    int32_t nLargest = LargestId();
    int32_t nMet = 0;
    for (int32_t id = 1; id <= nLargest && nMet < m_nGroupCount; ++id) {
        if (const CCtrlGroup* p = FindGroup(id)) {
            ++nMet;
            fn(*p);
        }
    }
}

std::map<uint32_t, uint32_t> CCtrlGroupSet::GiveUniqueIds() {
    EnsureNextUniqueId();
    std::map<uint32_t, uint32_t> ids;
    ForEachById([this, &ids](const CCtrlGroup& g) {
        CCtrlGroup& group = const_cast<CCtrlGroup&>(g);
        if (group.m_dwUniqueId == 0) {
            group.m_dwUniqueId = m_dwNextUniqueId++;
        }
        ids.emplace_hint(ids.end(), static_cast<uint32_t>(group.m_nId), group.m_dwUniqueId);
    });
    return ids;
}

int32_t CCtrlGroupSet::SaveUniqueIds() {
    if (m_pProductKey == nullptr) {
        return TQE_REG_WRITE;
    }
    EnsureNextUniqueId();  // read before the deletion takes it away
    // A missing key is what the deletion is for. Any other failure leaves the ids of groups
    // that no longer exist behind, where a later group of that number would take them up.
    const int32_t lDeleted = m_pProductKey->DeleteGroupSet();
    if (lDeleted != ERROR_SUCCESS && lDeleted != ERROR_FILE_NOT_FOUND) {
        return lDeleted;
    }
    return m_pProductKey->SetGroupSet(GiveUniqueIds(), m_dwNextUniqueId);
}

}  // namespace tq
