// What must hold for any bytes given to the tqctl script parser, line by line, in UTF-8 and code
// page 932 (--raw) terminal text: it returns, a refused line has a message; a line it reads names
// a member, "put" has one value, every argument has a type a script gives (VT_EMPTY only from
// EMPTY, references only into the line's own values); written back, the line reads the same.
#pragma once

#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <unordered_set>

#include "Host.h"
#include "ScriptRunner.h"
#include "platform/Bstr.h"
#include "platform/Cp932.h"

namespace tq::fuzz {

// The script text of one argument; false for a value no argument can give.
inline bool WriteScriptValue(const tqctl::CHost& host, const VARIANT& arg, std::string& out) {
    const VARIANT* pVar = &arg;
    for (; pVar->vt == (VT_BYREF | VT_VARIANT); pVar = pVar->pvarVal, out += "REF:") {
        if (pVar->pvarVal == nullptr) {
            return false;
        }
    }
    const VARIANT& var = *pVar;
    std::string strCp932;
    if (var.vt == VT_I4 || var.vt == VT_I2) {
        out += var.vt == VT_I4 ? std::to_string(var.lVal) : "I2:" + std::to_string(var.iVal);
    } else if (var.vt == VT_BOOL || var.vt == VT_EMPTY) {
        out += var.vt == VT_EMPTY ? "EMPTY" : var.boolVal != VARIANT_FALSE ? "TRUE" : "FALSE";
    } else if (var.vt != VT_BSTR || var.bstrVal == nullptr ||
               BstrToCp932(var.bstrVal, strCp932) != 0) {
        return false;
    } else {
        // --raw escapes whole characters: a double-byte one's second byte may be a backslash.
        const std::string strText = host.ToTerminal(strCp932);
        out += '"';
        for (size_t i = 0, len = 0; i < strText.size(); i += len) {
            len = host.GetOptions().m_bRaw ? CharLength(strText, i) : 1;
            if (len == 1 && (strText[i] == '"' || strText[i] == '\\')) {
                out += '\\';
            }
            out.append(strText, i, len);
        }
        out += '"';
    }
    return true;
}

// Follows every REF: chain to its end: false when a VT_BYREF argument points anywhere but at
// one of the line's own values (no dangling or foreign pointer); counts the VT_EMPTY values.
inline bool ReferencesStayInLine(const tqctl::CScriptLine& line, size_t& nEmpty) {
    std::unordered_set<const VARIANT*> owned;
    for (const CVariant& value : line.m_values) {
        owned.insert(&value);
    }
    nEmpty = 0;
    for (const VARIANT& arg : line.m_args) {
        const VARIANT* p = &arg;
        for (size_t nSteps = 0; p->vt == (VT_BYREF | VT_VARIANT); ++nSteps, p = p->pvarVal) {
            if (nSteps > line.m_values.size() || owned.count(p->pvarVal) == 0) {
                return false;
            }
        }
        nEmpty += p->vt == VT_EMPTY;
    }
    return true;
}

// How often the line spells EMPTY in any case (inside strings too, so never too few).
inline size_t CountEmptyWords(const std::string& strLine) {
    size_t n = 0;
    for (size_t pos = 0; pos + 5 <= strLine.size(); ++pos) {
        n += EqualsNoCase(std::string_view(strLine).substr(pos, 5), "EMPTY");
    }
    return n;
}

inline bool SameValue(const VARIANT& first, const VARIANT& second) {
    const VARIANT* a = &first;
    const VARIANT* b = &second;
    for (; a->vt == (VT_BYREF | VT_VARIANT) && b->vt == a->vt && a->pvarVal && b->pvarVal;
         a = a->pvarVal, b = b->pvarVal) {
    }
    if (a->vt != b->vt || a->vt == (VT_BYREF | VT_VARIANT)) {
        return false;
    }
    return a->vt == VT_I4   ? a->lVal == b->lVal
           : a->vt == VT_I2 ? a->iVal == b->iVal
           : a->vt == VT_BOOL
               ? a->boolVal == b->boolVal
               : a->vt != VT_BSTR ||
                     (SysStringLen(a->bstrVal) == SysStringLen(b->bstrVal) &&
                      std::memcmp(a->bstrVal, b->bstrVal, SysStringByteLen(a->bstrVal)) == 0);
}

// Empty when everything holds for one line, else what went wrong; bRefused: the parser refused it.
inline std::string CheckScriptLine(const tqctl::CHost& host, const std::string& strLine,
                                   bool& bRefused) {
    tqctl::CScriptLine line;
    std::string strError;
    bRefused = !tqctl::ParseScriptLine(host, strLine, line, strError);
    if (bRefused) {
        return strError.empty() ? "a refused line gives no message" : std::string();
    }
    if (line.m_bEmpty) {
        return line.m_strMember.empty() && line.m_args.empty()
                   ? std::string()
                   : "a blank or comment line carries a call";
    }
    if (line.m_strMember.empty() ||
        line.m_strMember.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "abcdefghijklmnopqrstuvwxyz0123456789_") !=
            std::string::npos) {
        return "the member name is not a name: " + line.m_strMember;
    }
    if (line.m_bPut && line.m_args.size() != 1) {
        return "put with " + std::to_string(line.m_args.size()) + " values";
    }
    size_t nEmpty = 0;
    if (!ReferencesStayInLine(line, nEmpty)) {
        return "a REF: argument points outside the line";
    }
    if (nEmpty > CountEmptyWords(strLine)) {
        return "an argument became EMPTY that the line does not spell EMPTY";
    }
    std::string strAgain = line.m_bPut ? "put " + line.m_strMember : line.m_strMember;
    for (const VARIANT& arg : line.m_args) {
        strAgain += ' ';
        if (!WriteScriptValue(host, arg, strAgain)) {
            return "an argument of type " + std::to_string(arg.vt) + " that no text gives";
        }
    }
    tqctl::CScriptLine again;
    if (!tqctl::ParseScriptLine(host, strAgain, again, strError)) {
        return "the line written back does not read: " + strAgain + " (" + strError + ")";
    }
    bool bSame = !again.m_bEmpty && again.m_bPut == line.m_bPut &&
                 again.m_strMember == line.m_strMember && again.m_args.size() == line.m_args.size();
    for (size_t i = 0; bSame && i < line.m_args.size(); ++i) {
        bSame = SameValue(line.m_args[i], again.m_args[i]);
    }
    return bSame ? std::string() : "the line written back reads differently: " + strAgain;
}

// Every line (ending at "\n") in both terminal forms; pnRefused: refusals in UTF-8 form.
inline std::string CheckScript(std::string_view text, size_t* pnRefused = nullptr) {
    static tqctl::CHost s_utf8(std::cout, std::cerr);
    static tqctl::CHost s_raw(std::cout, std::cerr);
    s_raw.GetOptions().m_bRaw = true;
    size_t nDiscarded = 0, &nRefused = pnRefused != nullptr ? *pnRefused : nDiscarded;
    nRefused = 0;
    size_t start = 0;
    for (size_t nLine = 1; start <= text.size(); ++nLine) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string strLine(text.substr(start, end - start));
        for (const tqctl::CHost* pHost : {&s_utf8, &s_raw}) {
            bool bRefused = false;
            std::string strWhy = CheckScriptLine(*pHost, strLine, bRefused);
            nRefused += bRefused && pHost == &s_utf8;
            if (!strWhy.empty()) {
                return "line " + std::to_string(nLine) + (pHost == &s_raw ? " (raw): " : ": ") +
                       strWhy;
            }
        }
        start = end + 1;
    }
    return std::string();
}

}  // namespace tq::fuzz
