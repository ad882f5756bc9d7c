#include "controlfile/CtrlGroup.h"

namespace tq {

CCtrlGroup::~CCtrlGroup() {
    // Each node is emptied of its children before it is destroyed, so no destructor below this
    // one has children to destroy: depth costs heap, not stack.
    std::vector<std::unique_ptr<CCtrlGroup>> work = std::move(m_children);
    while (!work.empty()) {
        std::unique_ptr<CCtrlGroup> p = std::move(work.back());
        work.pop_back();
        for (auto& child : p->m_children) {
            work.push_back(std::move(child));
        }
        p->m_children.clear();
    }
}

}  // namespace tq
