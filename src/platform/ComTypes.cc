#include "platform/ComTypes.h"
#include "platform/HexDigit.h"

#include <cstdio>

namespace tq {

namespace {

struct CHResultName {
    HRESULT m_hr;
    const char* m_pszText;
};

constexpr CHResultName kHResultNames[] = {
    {S_OK, "S_OK: success"},
    {S_FALSE, "S_FALSE: success (false)"},
    {E_NOTIMPL, "E_NOTIMPL: not implemented"},
    {E_NOINTERFACE, "E_NOINTERFACE: interface not supported"},
    {E_POINTER, "E_POINTER: invalid pointer"},
    {E_FAIL, "E_FAIL: unspecified failure"},
    {E_UNEXPECTED, "E_UNEXPECTED: catastrophic failure"},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY: out of memory"},
    {E_INVALIDARG, "E_INVALIDARG: invalid argument"},
    {DISP_E_UNKNOWNINTERFACE, "DISP_E_UNKNOWNINTERFACE: unknown interface"},
    {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND: member not found"},
    {DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND: parameter not found"},
    {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH: type mismatch"},
    {DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME: unknown name"},
    {DISP_E_NONAMEDARGS, "DISP_E_NONAMEDARGS: no named arguments"},
    {DISP_E_BADVARTYPE, "DISP_E_BADVARTYPE: bad variable type"},
    {DISP_E_EXCEPTION, "DISP_E_EXCEPTION: exception occurred"},
    {DISP_E_OVERFLOW, "DISP_E_OVERFLOW: out of present range"},
    {DISP_E_BADINDEX, "DISP_E_BADINDEX: invalid index"},
    {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT: invalid number of parameters"},
    {DISP_E_PARAMNOTOPTIONAL, "DISP_E_PARAMNOTOPTIONAL: parameter not optional"},
    {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION: class does not support aggregation"},
    {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE: class not available"},
    {REGDB_E_READREGDB, "REGDB_E_READREGDB: could not read the registry"},
    {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG: class not registered"},
    {CO_E_CLASSSTRING, "CO_E_CLASSSTRING: invalid class string"},
    {CO_E_DLLNOTFOUND, "CO_E_DLLNOTFOUND: module for class not found"},
    {CO_E_ERRORINDLL, "CO_E_ERRORINDLL: error in the module"},
    {HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), "module not found"},
    {HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND), "procedure not found"},
    {HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT), "not a valid module"},
};

// Reads 2 * bytes hex digits at pos into value; false on a non-hex character.
bool ReadHex(std::string_view s, size_t pos, size_t bytes, uint64_t& value) {
    value = 0;
    for (size_t i = 0; i < 2 * bytes; ++i) {
        int v = HexDigitValue(s[pos + i]);
        if (v < 0) {
            return false;
        }
        value = (value << 4) | static_cast<uint64_t>(v);
    }
    return true;
}

}  // namespace

std::string DescribeHResult(HRESULT hr) {
    for (const CHResultName& name : kHResultNames) {
        if (name.m_hr == hr) {
            return name.m_pszText;
        }
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "HRESULT 0x%08X", static_cast<uint32_t>(hr));
    return buf;
}

std::string GuidToString(const GUID& guid) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<uint32_t>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return buf;
}

bool GuidFromString(std::string_view str, GUID& guid) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    //  1        10   15   20   25
    if (str.size() != 38 || str[0] != '{' || str[37] != '}' || str[9] != '-' || str[14] != '-' ||
        str[19] != '-' || str[24] != '-') {
        return false;
    }
    GUID result;
    uint64_t v = 0;
    if (!ReadHex(str, 1, 4, v)) {
        return false;
    }
    result.Data1 = static_cast<uint32_t>(v);
    if (!ReadHex(str, 10, 2, v)) {
        return false;
    }
    result.Data2 = static_cast<uint16_t>(v);
    if (!ReadHex(str, 15, 2, v)) {
        return false;
    }
    result.Data3 = static_cast<uint16_t>(v);
    constexpr size_t kData4Pos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        if (!ReadHex(str, kData4Pos[i], 1, v)) {
            return false;
        }
        result.Data4[i] = static_cast<uint8_t>(v);
    }
    guid = result;
    return true;
}

}  // namespace tq
