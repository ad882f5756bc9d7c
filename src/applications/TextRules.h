// Small text rules shared by the application operations.
#pragma once

#include <cstdint>
#include <string_view>

namespace tq {

// A byte below 0x20 in a name or path would end its line in the control file and start
// another, so a name or a document could smuggle in a key or a section.
inline bool HasControlChar(std::string_view s) {
    for (char c : s) {
        if (static_cast<uint8_t>(c) < 0x20) {
            return true;
        }
    }
    return false;
}

}  // namespace tq
