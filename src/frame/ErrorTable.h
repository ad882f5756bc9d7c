// The message table of the component's error codes and the two ways to read it: the
// GetErrorMessage rule behind the automation property ErrorString, and the exported
// VXCSTM_GetErrorString with its size-query buffer protocol. Messages are code page 932.
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

// Exported to the product's programs. Returns the bytes the message needs with its terminating
// zero (also for a null buffer: the size query) and copies it when the buffer is large enough;
// when it is not, the buffer holds an empty string. Returns 0 when the code has no message:
// for code >= 0 the buffer gets an empty string, for an unknown negative code it stays as it
// was. The buffer is written only when size is at least 1.
uint32_t VXCSTM_GetErrorString(int32_t code, char* buffer, uint32_t size);
