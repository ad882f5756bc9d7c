// The topic check of WinHelp files (.hlp), from the container format's published description.
// All fields are little-endian:
//   file header (16 bytes)   magic 0x00035F3F, offset of the internal directory, first free
//                            block, size of the whole file
//   internal file            header (9 bytes: reserved space, used space, flags), then its data
//   internal directory       an internal file holding a B+ tree: header (38 bytes: magic
//                            0x293B, flags, page size, structure "z4", ..., root page, -1,
//                            page count, level count, entry count), then the pages; index
//                            pages (6-byte header, entries "name\0" + child page) lead down
//                            to a chain of leaf pages (8-byte header with entry count and next
//                            page, entries "name\0" + offset of the internal file's header)
// The topics live in the internal file "|TOPIC". Nothing in the file is trusted: every offset,
// count and size is checked against the file before it is followed, and a page is read only
// once, so a damaged file ends in TQFLTR2_DAMAGED instead of a wild read or a loop.
#pragma once

#include <cstdint>
#include <string>

namespace tq {

class CTopicFile;

class CHlpTopicCheck {
public:
    explicit CHlpTopicCheck(CTopicFile& file) : m_file(file) {}
    // One of the TQFLTR2_* answers.
    int Run();

private:
    int ReadFileHeader(uint32_t& directoryOffset);
    // Checks the header of the internal file at offset; dataOffset and used give its data.
    int ReadInternalFile(uint64_t offset, uint64_t& dataOffset, uint32_t& used);
    int ReadDirectoryHeader(uint64_t dataOffset, uint32_t used);
    int ReadPage(int page, std::string& strPage);
    int FindFirstLeaf(int& page);
    // Walks the leaf chain for the entry named strName; offset 0 when there is none.
    int FindEntry(int firstLeaf, const std::string& strName, uint32_t& offset);
    bool IsPageNumber(int page) const { return page >= 0 && page < m_nTotalPages; }

    CTopicFile& m_file;
    uint64_t m_nLimit = 0;  // the container's size as its header declares it
    uint64_t m_nPagesOffset = 0;
    uint32_t m_nPageSize = 0;
    int m_nRootPage = 0;
    int m_nTotalPages = 0;
    int m_nLevels = 0;
};

}  // namespace tq
