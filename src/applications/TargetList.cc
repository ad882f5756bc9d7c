#include "applications/TargetList.h"

#include <algorithm>

#include "platform/Cp932.h"

namespace tq {

int32_t CSortedTargetList::FindStringExact(const std::string& strText) const {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (EqualsNoCase(m_entries[i], strText)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

int32_t CSortedTargetList::AddString(const std::string& strText) {
    auto it = std::upper_bound(
        m_entries.begin(), m_entries.end(), strText,
        [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    it = m_entries.insert(it, strText);
    return static_cast<int32_t>(it - m_entries.begin());
}

int32_t CSortedTargetList::RowAfterRemoval(int32_t nCaret) const {
    const auto nCount = static_cast<int32_t>(m_entries.size());
    return nCaret >= 0 && nCaret < nCount ? nCaret : nCount - 1;
}

bool CSortedTargetList::DeleteString(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= m_entries.size()) {
        return false;
    }
    m_entries.erase(m_entries.begin() + index);
    return true;
}

}  // namespace tq
