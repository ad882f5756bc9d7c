// The message table of the component's error codes and the GetErrorMessage rule behind the
// automation property ErrorString and the exported VXCSTM_GetErrorString (frame/Exports.h).
// Messages are code page 932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tq {

struct CErrorMessage {
    int32_t m_lCode;
    const char* m_pszMessage;
};

// The rows in search order (the first row with an equal code wins).
std::span<const CErrorMessage> GetErrorTable();
// The message of a negative code without a row of its own: "エラーが発生しました".
const char* GetDefaultErrorMessage();
// The row's message for a code, or nullptr when the table has none.
const char* FindErrorMessage(int32_t code);

// code >= 0: out empty, false. A negative code of the table: its message, true. Any other
// negative code: the default message, false.
bool GetErrorMessage(int32_t code, std::string& out);

}  // namespace tq
