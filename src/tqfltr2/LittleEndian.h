// Little-endian fields of the binary help formats, read from a buffer the caller has checked
// to be long enough.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tq {

inline uint64_t GetLittleEndian(std::string_view data, size_t offset, size_t cb) {
    uint64_t value = 0;
    for (size_t i = cb; i > 0; --i) {
        value = (value << 8) | static_cast<uint8_t>(data[offset + i - 1]);
    }
    return value;
}
inline uint16_t GetU16(std::string_view data, size_t offset) {
    return static_cast<uint16_t>(GetLittleEndian(data, offset, 2));
}
inline int16_t GetI16(std::string_view data, size_t offset) {
    return static_cast<int16_t>(GetU16(data, offset));
}
inline uint32_t GetU32(std::string_view data, size_t offset) {
    return static_cast<uint32_t>(GetLittleEndian(data, offset, 4));
}
inline uint64_t GetU64(std::string_view data, size_t offset) {
    return GetLittleEndian(data, offset, 8);
}

}  // namespace tq
