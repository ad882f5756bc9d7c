// The group tree of a control file. The set is the root node (id -1, no name) and owns every
// group below it. It keeps two indexes so that loading stays linear in the number of groups:
// groups by id (ids are unique in the tree) and groups by (parent, exact name). Every change to
// a group's id, name, parent or children goes through the set so that the indexes stay true.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controlfile/CtrlGroup.h"
#include "controlfile/UniqueIdStore.h"

namespace tq {

class CCtrlGroupSet : public CCtrlGroup {
public:
    CCtrlGroupSet() = default;
    CCtrlGroupSet(const CCtrlGroupSet&) = delete;
    CCtrlGroupSet& operator=(const CCtrlGroupSet&) = delete;

    // Splits the value of a global "Group<n>" line ("name" or "<parent id>@name"), raises the
    // next id past n and inserts the group. 0, TQE_GROUP_NAME_TWICE or TQE_GROUP_INVALID.
    int32_t AddGroupLine(int32_t nId, std::string_view text);
    // Places a new group, or completes a placeholder that stood for it. 0,
    // TQE_GROUP_NAME_TWICE (that name under that parent) or TQE_GROUP_INVALID (id defined, or
    // the completion would put a group below itself).
    int32_t InsertGroup(int32_t nParentId, const std::string& strName, int32_t nId);
    // Inserts with the next id; returns that id, or the negative code.
    int32_t AddNewGroup(int32_t nParentId, const std::string& strName);

    CCtrlGroup* FindGroup(int32_t nId) const;
    CCtrlGroup* FindAndReference(int32_t nId);
    void Release(CCtrlGroup* pNode);
    // First child of node (or, with bRecursive, first node of its subtree, preorder) whose name
    // equals strName byte for byte / ignoring ASCII case (double-byte characters whole).
    CCtrlGroup* FindChildByName(const CCtrlGroup* pNode, std::string_view strName,
                                bool bRecursive) const;
    CCtrlGroup* FindByNameNoCase(const CCtrlGroup* pNode, std::string_view strName,
                                 bool bRecursive) const;
    static bool IsInUse(const CCtrlGroup* pNode);
    // Unlinks the node (with its subtree) from the tree and hands it to the caller; the group
    // count and select-off count no longer include the subtree.
    std::unique_ptr<CCtrlGroup> RemoveFromTree(CCtrlGroup* pNode);
    // Gives a group a new name. TQE_GROUP_NAME_TWICE when a sibling already bears it.
    int32_t RenameGroup(CCtrlGroup* pNode, const std::string& strName);

    // Drops groups not in use and numbers the others 1, 2, ... in preorder.
    void Renumber();
    // After loading: false when the default group is missing or a placeholder is left.
    bool Validate();

    void SetDefault(int32_t nId) { m_nDefault = nId; }
    int32_t GetDefault() const { return m_nDefault; }
    int32_t SetSelectOff(int32_t nId);
    // Ids of the select-off groups in increasing order; returns how many.
    int32_t GetSelectOffGroups(std::vector<int32_t>& ids) const;
    // 0, TQE_FAMILY_NAME, TQE_FAMILY_TWICE or TQE_GROUP_INVALID.
    int32_t SetFamily(int32_t nFirst, int32_t nLast, const std::string& strName);

    // Same group count, default group and tree shape with the same names, child by child.
    bool Equals(const CCtrlGroupSet& other) const;
    // Frees every group and forgets the next unique id (read from the store again); keeps the
    // product key.
    void Clear();
    // Gives every group that has no unique id yet the next one, in increasing id order; the
    // unique ids by group number.
    std::map<uint32_t, uint32_t> GiveUniqueIds();
    // Replaces the unique ids kept in the store by those of all groups (given first). 0, the
    // store's error, or TQE_REG_WRITE without a store.
    int32_t SaveUniqueIds();

    // Calls fn for every group in increasing id order (ids 1, 2, ... until all group-count
    // groups were met or the ids run out).
    void ForEachById(const std::function<void(const CCtrlGroup&)>& fn) const;

    // The store of the unique ids: the product key of the control file's product.
    void SetProductKey(IUniqueIdStore* pKey) { m_pProductKey = pKey; }
    IUniqueIdStore* GetProductKey() const { return m_pProductKey; }
    int32_t GetNextId() const { return m_nNextId; }
    void SetNextId(int32_t nId) { m_nNextId = nId; }
    int32_t GetGroupCount() const { return m_nGroupCount; }
    int32_t GetSelectOffCount() const { return m_nSelectOffCount; }
    uint32_t GetNextUniqueId() const { return m_dwNextUniqueId; }
    void SetNextUniqueId(uint32_t dwId) { m_dwNextUniqueId = dwId; }

private:
    void EnsureNextUniqueId();
    struct CNameKey {
        const CCtrlGroup* m_pParent;
        std::string_view m_name;
        bool operator==(const CNameKey& o) const {
            return m_pParent == o.m_pParent && m_name == o.m_name;
        }
    };
    struct CNameKeyHash {
        size_t operator()(const CNameKey& k) const;
    };

    CCtrlGroup* NewChild(CCtrlGroup* pParent, int32_t nId, const std::string& strName,
                         bool bPlaceholder);
    void LookUpUniqueId(CCtrlGroup& group);
    void IndexNode(CCtrlGroup& node);
    void UnindexNode(CCtrlGroup& node);
    bool HasChildNamed(const CCtrlGroup* pParent, std::string_view name) const;
    void MoveToParent(CCtrlGroup& node, CCtrlGroup& parent);
    static bool IsAncestorOrSelf(const CCtrlGroup& candidate, const CCtrlGroup* pNode);
    void RebuildIndexes();
    int32_t LargestId() const;
    std::vector<int32_t> IdsOfRange(int32_t nFirst, int32_t nLast) const;

    int32_t m_nNextId = -1;
    int32_t m_nGroupCount = 0;
    int32_t m_nDefault = -1;
    uint32_t m_dwNextUniqueId = 0;
    IUniqueIdStore* m_pProductKey = nullptr;
    int32_t m_nSelectOffCount = 0;

    std::unordered_map<int32_t, CCtrlGroup*> m_byId;
    std::unordered_multimap<CNameKey, CCtrlGroup*, CNameKeyHash> m_byName;
};

// Splits a group value into parent id (-1 for none) and name.
void SplitGroupValue(std::string_view text, int32_t& nParentId, std::string& strName);

}  // namespace tq
