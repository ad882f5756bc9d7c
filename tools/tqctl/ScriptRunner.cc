#include "ScriptRunner.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ostream>

#include "platform/Cp932.h"

namespace tq::tqctl {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The length of the character at pos: in code page 932 terminal text (bDbcs) a double-byte
// character is taken whole, so that its second byte is never an escape.
size_t CharAt(const std::string& s, size_t pos, bool bDbcs) {
    return bDbcs ? CharLength(s, pos) : 1;
}

// The next token: a quoted string (with its quotes, escapes kept) or a run of non-blanks.
bool NextToken(const std::string& s, bool bDbcs, size_t& pos, std::string& token,
               std::string& strError) {
    while (pos < s.size() && IsBlank(s[pos])) {
        ++pos;
    }
    size_t start = pos;
    bool bQuoted = false;
    while (pos < s.size() && (bQuoted || !IsBlank(s[pos]))) {
        size_t len = CharAt(s, pos, bDbcs);
        if (len == 1 && s[pos] == '"') {
            bQuoted = !bQuoted;
        } else if (len == 1 && s[pos] == '\\' && bQuoted && pos + 1 < s.size()) {
            len += CharAt(s, pos + 1, bDbcs);
        }
        pos += len;
    }
    if (bQuoted) {
        strError = "unterminated string";
        return false;
    }
    token = s.substr(start, pos - start);
    return true;
}

bool EqualsAscii(const std::string& a, const char* b) {
    return EqualsNoCase(a, b);
}

// A quoted string token (escapes taken out) as a VARIANT appended to line.m_values.
bool ParseString(const CHost& host, const std::string& token, CScriptLine& line,
                 std::string& strError) {
    const bool bDbcs = host.GetOptions().m_bRaw;
    std::string strText;
    for (size_t i = 1; i + 1 < token.size();) {
        if (token[i] == '\\' && i + 2 < token.size()) {
            ++i;
        }
        size_t len = std::min(CharAt(token, i, bDbcs), token.size() - 1 - i);
        strText.append(token, i, len);
        i += len;
    }
    // Raw terminal text may hold well-formed codes that code page 932 leaves unassigned; they
    // have no BSTR form, and the call must not get an empty argument instead.
    std::string strCp932;
    CVariant var;
    if (host.FromTerminal(strText, strCp932)) {
        var = MakeBstrVariant(strCp932);
    }
    if (var.vt != VT_BSTR) {
        strError = "the string has characters that code page 932 cannot hold";
        return false;
    }
    line.m_values.push_back(std::move(var));
    return true;
}

bool ParseValue(const CHost& host, const std::string& token, CScriptLine& line,
                std::string& strError);

// REF:REF:...:ARG: the argument, then a VARIANT by reference to the one before it per prefix.
// By a loop, not by recursion: the prefixes of one long line must not exhaust the stack nor
// copy the token once per prefix.
bool ParseReference(const CHost& host, const std::string& token, CScriptLine& line,
                    std::string& strError) {
    size_t nRefs = 0;
    while (StartsWithNoCase(std::string_view(token).substr(4 * nRefs), "REF:")) {
        ++nRefs;
    }
    if (!ParseValue(host, token.substr(4 * nRefs), line, strError)) {
        return false;
    }
    for (; nRefs > 0; --nRefs) {
        CVariant ref;
        ref.vt = VT_BYREF | VT_VARIANT;
        ref.pvarVal = &line.m_values.back();
        line.m_values.push_back(std::move(ref));
    }
    return true;
}

// Converts one argument token into a VARIANT appended to line.m_values.
bool ParseValue(const CHost& host, const std::string& token, CScriptLine& line,
                std::string& strError) {
    int32_t l = 0;
    if (token.size() >= 2 && token.front() == '"' && token.back() == '"') {
        return ParseString(host, token, line, strError);
    }
    if (ParseInt32(token, l)) {
        line.m_values.emplace_back(l);
        return true;
    }
    if (EqualsAscii(token, "TRUE") || EqualsAscii(token, "FALSE")) {
        line.m_values.emplace_back(EqualsAscii(token, "TRUE"));
        return true;
    }
    if (EqualsAscii(token, "EMPTY")) {
        line.m_values.emplace_back();
        return true;
    }
    if (StartsWithNoCase(token, "I2:")) {
        if (!ParseInt32(token.substr(3), l) || l < INT16_MIN || l > INT16_MAX) {
            strError = "not a 16-bit integer: " + token;
            return false;
        }
        line.m_values.emplace_back(static_cast<int16_t>(l));
        return true;
    }
    if (StartsWithNoCase(token, "REF:")) {
        return ParseReference(host, token, line, strError);
    }
    strError = "cannot read the argument " + token;
    return false;
}

std::string FormatResult(const CHost& host, const VARIANT& var) {
    switch (var.vt) {
        case VT_I4:
            return std::to_string(var.lVal);
        case VT_I2:
            return std::to_string(var.iVal);
        case VT_BOOL:
            return var.boolVal != VARIANT_FALSE ? "TRUE" : "FALSE";
        case VT_BSTR: {
            std::string str;
            BstrToCp932(var.bstrVal, str);
            return host.ToTerminal(str);
        }
        default:
            return {};
    }
}

}  // namespace

bool ParseScriptLine(const CHost& host, const std::string& strLine, CScriptLine& line,
                     std::string& strError) {
    line = CScriptLine();
    const bool bDbcs = host.GetOptions().m_bRaw;
    size_t pos = 0;
    std::string token;
    if (!NextToken(strLine, bDbcs, pos, token, strError)) {
        return false;
    }
    if (token.empty() || token[0] == '#') {
        return true;
    }
    line.m_bEmpty = false;
    if (token == "put") {
        line.m_bPut = true;
        if (!NextToken(strLine, bDbcs, pos, token, strError)) {
            return false;
        }
        if (token.empty()) {
            strError = "put needs a member and a value";
            return false;
        }
    }
    for (char c : token) {
        bool bNameChar =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!bNameChar) {
            strError = "not a member name: " + token;
            return false;
        }
    }
    line.m_strMember = token;
    std::vector<size_t> argSlots;
    while (true) {
        if (!NextToken(strLine, bDbcs, pos, token, strError)) {
            return false;
        }
        if (token.empty()) {
            break;
        }
        if (!ParseValue(host, token, line, strError)) {
            return false;
        }
        argSlots.push_back(line.m_values.size() - 1);
    }
    if (line.m_bPut && argSlots.size() != 1) {
        strError = "put needs exactly one value";
        return false;
    }
    for (size_t slot : argSlots) {
        line.m_args.push_back(line.m_values[slot]);
    }
    return true;
}

int RunScriptLines(CHost& host, std::istream& in) {
    CAutomationClient* pClient = nullptr;
    if (!host.GetObject(pClient)) {
        return kExitFailed;
    }
    std::string strText;
    for (int nLine = 1; std::getline(in, strText); ++nLine) {
        CScriptLine line;
        std::string strError;
        if (!ParseScriptLine(host, strText, line, strError)) {
            return host.Usage("script line " + std::to_string(nLine) + ": " + strError);
        }
        if (line.m_bEmpty) {
            continue;
        }
        uint16_t wFlags =
            line.m_bPut ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD | DISPATCH_PROPERTYGET;
        CCallResult result = pClient->Call(line.m_strMember, line.m_args, wFlags);
        if (result.m_hr == DISP_E_EXCEPTION) {
            char szCode[16];
            if (result.m_wExceptionCode != 0) {
                std::snprintf(szCode, sizeof szCode, "%u", result.m_wExceptionCode);
            } else {
                std::snprintf(szCode, sizeof szCode, "0x%08" PRIX32,
                              static_cast<uint32_t>(result.m_scode));
            }
            host.Out() << "EXCEPTION\t" << szCode << '\t'
                       << host.ToTerminal(result.m_strDescription) << '\n'
                       << std::flush;
            continue;
        }
        if (FAILED(result.m_hr)) {
            std::string strDetail = "line " + std::to_string(nLine) + ": " + line.m_strMember;
            if (result.m_hr == DISP_E_TYPEMISMATCH || result.m_hr == DISP_E_OVERFLOW) {
                strDetail += " argument " + std::to_string(line.m_args.size() - result.m_uArgErr);
            }
            return host.FailHResult(result.m_hr, strDetail);
        }
        host.Out() << FormatResult(host, result.m_varResult) << '\t' << pClient->GetErrorCode()
                   << '\n'
                   << std::flush;
    }
    return kExitOk;
}

}  // namespace tq::tqctl
