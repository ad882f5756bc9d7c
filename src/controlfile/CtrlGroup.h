// A node of the group tree. The tree belongs to a CCtrlGroupSet, which keeps indexes by id and
// by (parent, name); the id, name, parent and children therefore change only through the set.
// Trees may be 65,535 levels deep, so nothing here recurses along the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tq {

class CCtrlGroupSet;

class CCtrlGroup {
public:
    CCtrlGroup() = default;
    CCtrlGroup(int32_t nId, std::string strName) : m_nId(nId), m_strName(std::move(strName)) {}
    // Frees the subtree without recursion.
    ~CCtrlGroup();
    CCtrlGroup(const CCtrlGroup&) = delete;
    CCtrlGroup& operator=(const CCtrlGroup&) = delete;

    int32_t GetId() const { return m_nId; }
    const std::string& GetName() const { return m_strName; }
    CCtrlGroup* GetParent() const { return m_pParent; }
    const std::vector<std::unique_ptr<CCtrlGroup>>& GetChildren() const { return m_children; }
    bool IsPlaceholder() const { return m_dwPlaceholder != 0; }
    bool IsSelectOff() const { return m_dwSelectOff != 0; }
    const std::string& GetFamily() const { return m_strFamily; }
    int32_t GetRefCount() const { return m_nRefCount; }

    // Stable number kept in the registry across renumbering; 0 while none has been given.
    uint32_t m_dwUniqueId = 0;

private:
    friend class CCtrlGroupSet;

    int32_t m_nId = -1;
    std::string m_strName;
    CCtrlGroup* m_pParent = nullptr;
    std::vector<std::unique_ptr<CCtrlGroup>> m_children;
    uint32_t m_dwPlaceholder = 0;
    uint32_t m_dwSelectOff = 0;
    std::string m_strFamily;
    int32_t m_nRefCount = 0;
    // Scratch mark of the set's whole-tree walks (in use, visited); meaningless between them.
    bool m_bMark = false;
};

// Calls fn(node) for node and every node below it, parents before children, children in list
// order, without recursion. fn returns false to stop the walk; the result is the node it
// stopped at, or nullptr.
template <class Fn>
const CCtrlGroup* WalkPreorder(const CCtrlGroup& node, Fn fn) {
    std::vector<const CCtrlGroup*> stack{&node};
    while (!stack.empty()) {
        const CCtrlGroup* p = stack.back();
        stack.pop_back();
        if (!fn(*p)) {
            return p;
        }
        const auto& children = p->GetChildren();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(it->get());
        }
    }
    return nullptr;
}

}  // namespace tq
