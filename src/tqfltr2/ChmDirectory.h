// The directory of a CHM archive: the "ITSP" header and its chunks of listing ("PMGL") and
// index ("PMGI") entries. chmlib follows the lengths and numbers of these entries unchecked, so
// a damaged chunk makes it read past the chunk's end into memory it never filled; here every
// chunk is walked with each field held to the chunk's bounds before chmlib sees the archive.
// The walk also tells where the archive's own objects ("::" names) lie.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tq {

class CTopicFile;

struct CChmObject {
    uint64_t m_nSection = 0;  // 0: stored as is, 1: LZX-compressed
    uint64_t m_nOffset = 0;   // within its section
    uint64_t m_nLength = 0;
};

class CChmDirectory {
public:
    explicit CChmDirectory(CTopicFile& file) : m_file(file) {}
    // Walks the directory of length bytes at offset. 0, TQFLTR2_DAMAGED for a directory whose
    // header or entries break its bounds, or TQFLTR2_UNREADABLE.
    int Read(uint64_t offset, uint64_t length);
    // The archive's own object of that name (ASCII case ignored, as chmlib looks names up: the
    // objects' names are ASCII), or
    // nullptr when the directory does not list it.
    const CChmObject* Find(std::string_view name) const;

private:
    int ReadChunk(std::string_view chunk);

    CTopicFile& m_file;
    std::map<std::string, CChmObject> m_objects;  // by lower-case name
};

}  // namespace tq
