// Automation strings (BSTR): UTF-16 text preceded by a 4-byte length in bytes and followed by a
// NUL character. The pointer names the first character, so a BSTR reads as a C string of
// OLECHARs, yet may hold embedded NULs. A null BSTR means the empty string everywhere. On
// Windows the allocation functions are the system's (oleaut32), so that strings pass freely
// between the component and its callers; elsewhere the mini-COM runtime provides them here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ComTypes.h"

#ifdef _WIN32
namespace tq {

using ::SysAllocString;
using ::SysAllocStringLen;
using ::SysFreeString;
using ::SysStringByteLen;
using ::SysStringLen;

}  // namespace tq
#else
namespace tq {

// SysAllocString: a copy of a NUL-terminated string (null → null).
BSTR SysAllocString(const OLECHAR* psz);
// SysAllocStringLen: cch characters copied from pch, or zero-filled when pch is null; a NUL
// follows them. Null when memory runs out.
BSTR SysAllocStringLen(const OLECHAR* pch, uint32_t cch);
void SysFreeString(BSTR bstr);
// Length in characters from the prefix (embedded NULs count); 0 for null.
uint32_t SysStringLen(BSTR bstr);
uint32_t SysStringByteLen(BSTR bstr);

}  // namespace tq
#endif

namespace tq {

// Code page 932 ↔ BSTR, for strings that cross the automation interface. The strict forms
// return ERROR_NO_UNICODE_TRANSLATION when a character has no counterpart, leaving the output
// untouched; ERROR_NOT_ENOUGH_MEMORY when the BSTR cannot be allocated.
int32_t BstrFromCp932(std::string_view str, BSTR* pbstr);
int32_t BstrToCp932(BSTR bstr, std::string& str);
// For results shown to a caller: undecodable bytes become U+FFFD instead of failing the call.
int32_t BstrFromCp932Lossy(std::string_view str, BSTR* pbstr);

// Owns one BSTR and frees it at destruction.
class CBstr {
public:
    CBstr() = default;
    explicit CBstr(OleStringView str);
    ~CBstr() { SysFreeString(m_bstr); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    CBstr(CBstr&& other) noexcept : m_bstr(other.Detach()) {}
    CBstr& operator=(CBstr&& other) noexcept;

    BSTR Get() const { return m_bstr; }
    uint32_t Length() const { return SysStringLen(m_bstr); }
    OleStringView View() const { return {m_bstr ? m_bstr : TQ_OLESTR(""), Length()}; }
    // Frees the held string and returns the address to fill, as out-parameters expect.
    BSTR* Receive();
    void Attach(BSTR bstr);
    BSTR Detach();

private:
    BSTR m_bstr = nullptr;
};

}  // namespace tq
