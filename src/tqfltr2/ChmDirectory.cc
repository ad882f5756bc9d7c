#include "tqfltr2/ChmDirectory.h"

#include <optional>

#include "platform/Cp932.h"
#include "tqfltr2/LittleEndian.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq {
namespace {

constexpr uint32_t kItspSize = 0x54;
constexpr uint32_t kListingHeader = 0x14;  // "PMGL", free space, unknown, previous, next
constexpr uint32_t kIndexHeader = 0x08;    // "PMGI", free space
constexpr uint32_t kMaxChunk = 1 << 20;
constexpr uint64_t kMaxName = 512;  // chmlib's longest path

// The entries of one chunk, read up to the end its free space leaves.
class CEntryReader {
public:
    CEntryReader(std::string_view chunk, uint32_t header) : m_chunk(chunk), m_pos(header) {
        uint32_t freeSpace = GetU32(chunk, 4);
        m_end = freeSpace <= chunk.size() - header ? chunk.size() - freeSpace : 0;
    }
    bool IsValid() const { return m_end != 0; }
    bool AtEnd() const { return m_pos >= m_end; }
    // A variable-length number: seven bits a byte, high bit set on all but the last.
    std::optional<uint64_t> Number() {
        uint64_t value = 0;
        for (int i = 0; i < 10 && m_pos < m_end; ++i) {
            auto b = static_cast<uint8_t>(m_chunk[m_pos++]);
            value = (value << 7) | (b & 0x7F);
            if (b < 0x80) {
                return value;
            }
        }
        return std::nullopt;
    }
    std::optional<std::string_view> Name() {
        std::optional<uint64_t> length = Number();
        if (!length || *length > kMaxName || *length > m_end - m_pos) {
            return std::nullopt;
        }
        std::string_view name = m_chunk.substr(m_pos, *length);
        m_pos += *length;
        return name;
    }

private:
    std::string_view m_chunk;
    size_t m_pos;
    size_t m_end = 0;
};

}  // namespace

int CChmDirectory::Read(uint64_t offset, uint64_t length) {
    std::string strHead;
    if (int err = m_file.ReadAt(offset, kItspSize, strHead); err != 0) {
        return err;
    }
    if (strHead.size() < kItspSize || length < kItspSize || strHead.compare(0, 4, "ITSP") != 0 ||
        GetU32(strHead, 4) != 1 || GetU32(strHead, 8) != kItspSize) {
        return TQFLTR2_DAMAGED;
    }
    uint32_t chunkSize = GetU32(strHead, 0x10);
    auto root = static_cast<int32_t>(GetU32(strHead, 0x1C));
    auto first = static_cast<int32_t>(GetU32(strHead, 0x20));
    uint32_t chunks = GetU32(strHead, 0x2C);
    if (chunkSize < kListingHeader || chunkSize > kMaxChunk ||
        chunks > (length - kItspSize) / chunkSize || root < -1 || root >= int64_t{chunks} ||
        first < 0 || first >= int64_t{chunks}) {
        return TQFLTR2_DAMAGED;
    }
    std::string strChunk;
    for (uint32_t i = 0; i < chunks; ++i) {
        if (int err =
                m_file.ReadAt(offset + kItspSize + uint64_t{i} * chunkSize, chunkSize, strChunk);
            err != 0) {
            return err;
        }
        if (strChunk.size() < chunkSize) {
            return TQFLTR2_DAMAGED;
        }
        if (int answer = ReadChunk(strChunk); answer != 0) {
            return answer;
        }
    }
    return 0;
}

int CChmDirectory::ReadChunk(std::string_view chunk) {
    bool bListing = chunk.substr(0, 4) == "PMGL";
    if (!bListing && chunk.substr(0, 4) != "PMGI") {
        return 0;  // a chunk of no kind chmlib reads
    }
    CEntryReader reader(chunk, bListing ? kListingHeader : kIndexHeader);
    if (!reader.IsValid()) {
        return TQFLTR2_DAMAGED;
    }
    while (!reader.AtEnd()) {
        std::optional<std::string_view> name = reader.Name();
        if (!name) {
            return TQFLTR2_DAMAGED;
        }
        std::optional<uint64_t> first = reader.Number();
        std::optional<uint64_t> offset = bListing ? reader.Number() : first;
        std::optional<uint64_t> length = bListing ? reader.Number() : first;
        if (!first || !offset || !length) {
            return TQFLTR2_DAMAGED;
        }
        if (bListing && name->substr(0, 2) == "::") {
            m_objects[ToLowerCp932(*name)] = {*first, *offset, *length};
        }
    }
    return 0;
}

const CChmObject* CChmDirectory::Find(std::string_view name) const {
    auto it = m_objects.find(ToLowerCp932(name));
    return it == m_objects.end() ? nullptr : &it->second;
}

}  // namespace tq
