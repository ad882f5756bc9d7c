// tqctl script: one dispatch call per line, carried out as soon as the line is read.
//
//   MEMBER ARG...        call a method or read a property; prints RESULT<TAB>ERRORCODE
//   put MEMBER VALUE     write a property; prints <TAB>ERRORCODE, or EXCEPTION<TAB>CODE<TAB>TEXT
//                        when the object raises an automation exception
//   # ...                a comment; blank lines are skipped
//
// Arguments: a decimal integer (VT_I4), TRUE or FALSE (VT_BOOL), a string in double quotes
// with \" and \\ (VT_BSTR), I2:n (VT_I2), EMPTY (VT_EMPTY), and REF:ARG (a by-reference VARIANT
// pointing at ARG). A line that cannot be read stops the script (exit 2) with its number; a
// call the dispatch interface refuses stops it with CODE<TAB>MESSAGE (exit 1).
#pragma once

#include <deque>
#include <istream>
#include <string>
#include <vector>

#include "Host.h"
#include "platform/Variant.h"

namespace tq::tqctl {

// One parsed line.
struct CScriptLine {
    bool m_bEmpty = true;  // a blank line or a comment
    bool m_bPut = false;
    std::string m_strMember;
    std::deque<CVariant> m_values;  // the arguments and the referents of REF: (stable addresses)
    std::vector<VARIANT> m_args;    // shallow views, in declaration order
};

// Reads one line (terminal text, converted by the host); false with strError when it cannot.
bool ParseScriptLine(const CHost& host, const std::string& strLine, CScriptLine& line,
                     std::string& strError);

// Runs the script read from in; returns the exit status.
int RunScriptLines(CHost& host, std::istream& in);

}  // namespace tq::tqctl
