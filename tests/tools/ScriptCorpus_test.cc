// The tqctl script parser's fuzz corpus (fuzz/corpus/script; bad_* files hold a line UTF-8
// terminal text refuses) and the lines fuzzing found, through the fuzz target's oracle.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "../../fuzz/ScriptOracle.h"
#include "support/TestSupport.h"

namespace tq {
namespace {

TEST(ScriptCorpusTest, EveryCorpusFileKeepsTheParserSound) {
    const auto files = test::ReadCorpus("script");
    for (const auto& file : files) {
        size_t nRefused = 0;
        EXPECT_EQ(fuzz::CheckScript(file.m_strBytes, &nRefused), "") << file.m_strName;
        EXPECT_EQ(file.m_strName.rfind("bad_", 0) == 0, nRefused > 0) << file.m_strName;
    }
    EXPECT_GT(files.size(), 15u);
}

TEST(ScriptCorpusTest, LinesFuzzingFound) {
    std::string strLongRefs = "Call ";
    for (int i = 0; i < 200000; ++i) {
        strLongRefs += i % 2 ? "REF:" : "ref:";
    }
    // What, raw mode, the line, refused, the values parsed (arguments and the referents of REF:)
    // and the code page 932 text of the first value when a string.
    const std::tuple<const char*, bool, std::string, bool, size_t, std::string> cases[] = {
        // Well-formed code page 932 bytes that have no UTF-16 form used to become an EMPTY
        // argument in raw mode.
        {"raw byte 0xFF", true, "ey \"ct\xFF\"", true, 0, ""},
        {"raw unassigned double-byte code", true, "Call \"\x85\x40\"", true, 0, ""},
        // In raw mode the second byte of a double-byte character used to be an escape: "表"
        // (0x95 0x5C) was unterminated and "表示" lost its 0x5C.
        {"raw 0x5C second byte before the quote", true, "Call \"\x95\x5C\"", false, 1, "\x95\x5C"},
        {"raw 0x5C second byte inside", true, "Call \"\x95\x5C\x8E\xA6\"", false, 1,
         "\x95\x5C\x8E\xA6"},
        {"raw escaped backslash after it", true, "Call \"\x95\x5C\\\\\" 1", false, 2, "\x95\x5C\\"},
        {"UTF-8 text keeps its bytes", false, "Call \"\xE8\xA1\xA8\\\"\"", false, 1, "\x95\x5C\""},
        // A long chain of REF: prefixes used to recurse once per prefix (stack, and a copy of
        // the rest of the token each time).
        {"200000 REF: prefixes", false, strLongRefs + "7", false, 200001, ""},
        {"REF: without a value", false, "Call REF:", true, 0, ""},
    };
    for (const auto& [pszWhat, bRaw, strLine, bRefusedAsked, nValues, strText] : cases) {
        SCOPED_TRACE(pszWhat);
        tqctl::CHost host(std::cout, std::cerr);
        host.GetOptions().m_bRaw = bRaw;
        bool bRefused = false;
        EXPECT_EQ(fuzz::CheckScriptLine(host, strLine, bRefused), "");
        EXPECT_EQ(bRefused, bRefusedAsked);
        tqctl::CScriptLine line;
        std::string strError, strFirst;
        if (!bRefused && tqctl::ParseScriptLine(host, strLine, line, strError)) {
            EXPECT_EQ(line.m_values.size(), nValues);
            if (!strText.empty()) {
                ASSERT_EQ(line.m_values.at(0).vt, VT_BSTR);
                BstrToCp932(line.m_values[0].bstrVal, strFirst);
                EXPECT_EQ(strFirst, strText);
            }
        }
    }
}

}  // namespace
}  // namespace tq
