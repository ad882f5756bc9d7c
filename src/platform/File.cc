#include "platform/FileShared.h"

#include <algorithm>
#include <numeric>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

// "." and ".." first, then the names in CompareNoCase's order, ties by their bytes. Each name is
// upper-cased once: the bytes of two upper-cased names compare as CompareNoCase compares the
// names (letters are single bytes, and every byte of a letter sorts below any lead byte), which
// spares a large folder walking its names character by character at every comparison.
void SortFound(std::vector<CFindData>& entries) {
    auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
    std::vector<std::string> keys;
    keys.reserve(entries.size());
    for (const CFindData& entry : entries) {
        keys.push_back(ToUpperCp932(entry.m_strName));
    }
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const std::string& strA = entries[a].m_strName;
        const std::string& strB = entries[b].m_strName;
        if (rank(strA) != rank(strB)) {
            return rank(strA) < rank(strB);
        }
        int c = keys[a].compare(keys[b]);
        return c != 0 ? c < 0 : strA < strB;
    });
    std::vector<CFindData> sorted;
    sorted.reserve(entries.size());
    for (size_t n : order) {
        sorted.push_back(std::move(entries[n]));
    }
    entries = std::move(sorted);
}

}  // namespace

int32_t CFindFile::TakeFirst(std::unique_ptr<CFindFileImpl> pImpl, CFindData& data,
                             EFindOrder order) {
    pImpl->m_order = order;
    int32_t err = ERROR_SUCCESS;
    if (order == EFindOrder::kAsListed) {
        err = pImpl->ReadEntry(data, m_untranslatable);
    } else {
        CFindData entry;
        while ((err = pImpl->ReadEntry(entry, m_untranslatable)) == ERROR_SUCCESS) {
            pImpl->m_entries.push_back(std::move(entry));
        }
        pImpl->CloseSearch();
        if (err == ERROR_NO_MORE_FILES && !pImpl->m_entries.empty()) {
            SortFound(pImpl->m_entries);
            data = pImpl->m_entries[0];
            pImpl->m_nNext = 1;
            err = ERROR_SUCCESS;
        }
    }
    if (err == ERROR_NO_MORE_FILES) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (err == ERROR_SUCCESS) {
        m_pImpl = std::move(pImpl);
    }
    return err;
}

CFindFile::CFindFile() = default;
CFindFile::~CFindFile() = default;

int32_t CFindFile::FindNext(CFindData& data) {
    if (!m_pImpl) {
        return ERROR_INVALID_HANDLE;
    }
    if (m_pImpl->m_order == EFindOrder::kAsListed) {
        return m_pImpl->ReadEntry(data, m_untranslatable);
    }
    if (m_pImpl->m_nNext >= m_pImpl->m_entries.size()) {
        return ERROR_NO_MORE_FILES;
    }
    data = m_pImpl->m_entries[m_pImpl->m_nNext++];
    return ERROR_SUCCESS;
}

void CFindFile::Close() {
    m_pImpl.reset();
    m_untranslatable.clear();
}

}  // namespace tq
