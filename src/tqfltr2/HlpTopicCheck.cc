#include "tqfltr2/HlpTopicCheck.h"

#include <cstring>

#include "tqfltr2/LittleEndian.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq {
namespace {

constexpr uint32_t kFileMagic = 0x00035F3F;
constexpr uint32_t kFileHeaderSize = 16;
constexpr uint32_t kInternalHeaderSize = 9;
constexpr uint16_t kBTreeMagic = 0x293B;
constexpr uint32_t kBTreeHeaderSize = 38;
constexpr uint32_t kIndexPageHeaderSize = 6;
constexpr uint32_t kLeafPageHeaderSize = 8;
constexpr uint32_t kDirectoryEntryValueSize = 4;
// A topic file is cut into blocks that each begin with a 12-byte header; a "|TOPIC" that holds
// no more than that holds no topic.
constexpr uint32_t kTopicBlockHeaderSize = 12;
constexpr char kTopicFileName[] = "|TOPIC";

}  // namespace

int CHlpTopicCheck::Run() {
    uint32_t directoryOffset = 0;
    uint64_t dataOffset = 0;
    uint32_t used = 0;
    int first = 0;
    uint32_t topicOffset = 0;
    int answer = ReadFileHeader(directoryOffset);
    if (answer == 0) {
        answer = ReadInternalFile(directoryOffset, dataOffset, used);
    }
    if (answer == 0) {
        answer = ReadDirectoryHeader(dataOffset, used);
    }
    if (answer == 0) {
        answer = FindFirstLeaf(first);
    }
    if (answer == 0) {
        answer = FindEntry(first, kTopicFileName, topicOffset);
    }
    if (answer != 0 || topicOffset == 0) {
        return answer;  // a container without topics (a contents index, for one) answers 0
    }
    answer = ReadInternalFile(topicOffset, dataOffset, used);
    if (answer != 0) {
        return answer;
    }
    return used > kTopicBlockHeaderSize ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC;
}

int CHlpTopicCheck::ReadFileHeader(uint32_t& directoryOffset) {
    std::string strHeader;
    if (int err = m_file.ReadAt(0, kFileHeaderSize, strHeader); err != 0) {
        return err;
    }
    if (strHeader.size() < kFileHeaderSize || GetU32(strHeader, 0) != kFileMagic) {
        return TQFLTR2_DAMAGED;
    }
    // A file shorter than its declared size was cut off; bytes beyond it are not ours to read.
    m_nLimit = GetU32(strHeader, 12);
    if (m_nLimit < kFileHeaderSize || m_nLimit > m_file.GetSize()) {
        return TQFLTR2_DAMAGED;
    }
    directoryOffset = GetU32(strHeader, 4);
    return 0;
}

int CHlpTopicCheck::ReadInternalFile(uint64_t offset, uint64_t& dataOffset, uint32_t& used) {
    if (offset < kFileHeaderSize || offset + kInternalHeaderSize > m_nLimit) {
        return TQFLTR2_DAMAGED;
    }
    std::string strHeader;
    if (int err = m_file.ReadAt(offset, kInternalHeaderSize, strHeader); err != 0) {
        return err;
    }
    if (strHeader.size() < kInternalHeaderSize) {
        return TQFLTR2_DAMAGED;
    }
    used = GetU32(strHeader, 4);
    dataOffset = offset + kInternalHeaderSize;
    return dataOffset + used <= m_nLimit ? 0 : TQFLTR2_DAMAGED;
}

int CHlpTopicCheck::ReadDirectoryHeader(uint64_t dataOffset, uint32_t used) {
    std::string strHeader;
    if (used < kBTreeHeaderSize) {
        return TQFLTR2_DAMAGED;
    }
    if (int err = m_file.ReadAt(dataOffset, kBTreeHeaderSize, strHeader); err != 0) {
        return err;
    }
    if (strHeader.size() < kBTreeHeaderSize || GetU16(strHeader, 0) != kBTreeMagic ||
        std::memcmp(strHeader.data() + 6, "z4", 3) != 0) {
        return TQFLTR2_DAMAGED;  // not a directory of names and 4-byte offsets
    }
    m_nPageSize = GetU16(strHeader, 4);
    m_nRootPage = GetI16(strHeader, 26);
    m_nTotalPages = GetI16(strHeader, 30);
    m_nLevels = GetI16(strHeader, 32);
    m_nPagesOffset = dataOffset + kBTreeHeaderSize;
    if (m_nPageSize < kLeafPageHeaderSize + 2 + kDirectoryEntryValueSize || m_nTotalPages < 1 ||
        !IsPageNumber(m_nRootPage) || m_nLevels < 1 || m_nLevels > m_nTotalPages ||
        kBTreeHeaderSize + static_cast<uint64_t>(m_nTotalPages) * m_nPageSize > used) {
        return TQFLTR2_DAMAGED;
    }
    return 0;
}

int CHlpTopicCheck::ReadPage(int page, std::string& strPage) {
    if (int err = m_file.ReadAt(m_nPagesOffset + static_cast<uint64_t>(page) * m_nPageSize,
                                m_nPageSize, strPage);
        err != 0) {
        return err;
    }
    return strPage.size() == m_nPageSize ? 0 : TQFLTR2_DAMAGED;
}

int CHlpTopicCheck::FindFirstLeaf(int& page) {
    // Each index page's header names its first child, so the leftmost path leads to the first
    // leaf; the level count bounds the descent.
    page = m_nRootPage;
    std::string strPage;
    for (int level = 1; level < m_nLevels; ++level) {
        if (int err = ReadPage(page, strPage); err != 0) {
            return err;
        }
        static_assert(kIndexPageHeaderSize == 6, "the first child follows the entry count");
        page = GetI16(strPage, 4);
        if (!IsPageNumber(page)) {
            return TQFLTR2_DAMAGED;
        }
    }
    return 0;
}

int CHlpTopicCheck::FindEntry(int firstLeaf, const std::string& strName, uint32_t& offset) {
    offset = 0;
    std::string strPage;
    int page = firstLeaf;
    for (int visited = 0; page != -1; ++visited) {
        if (visited == m_nTotalPages) {
            return TQFLTR2_DAMAGED;  // the chain runs in a circle
        }
        if (int err = ReadPage(page, strPage); err != 0) {
            return err;
        }
        int entries = GetI16(strPage, 2);
        if (entries < 0) {
            return TQFLTR2_DAMAGED;
        }
        size_t pos = kLeafPageHeaderSize;
        for (int i = 0; i < entries; ++i) {
            size_t nul = strPage.find('\0', pos);
            if (nul == std::string::npos || nul + 1 + kDirectoryEntryValueSize > strPage.size()) {
                return TQFLTR2_DAMAGED;
            }
            if (strPage.compare(pos, nul - pos, strName) == 0) {
                offset = GetU32(strPage, nul + 1);
                return offset != 0 ? 0 : TQFLTR2_DAMAGED;
            }
            pos = nul + 1 + kDirectoryEntryValueSize;
        }
        page = GetI16(strPage, 6);
        if (page != -1 && !IsPageNumber(page)) {
            return TQFLTR2_DAMAGED;
        }
    }
    return 0;
}

}  // namespace tq
