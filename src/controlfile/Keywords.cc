#include "controlfile/Keywords.h"

#include <array>

namespace tq {

namespace {

constexpr std::array<std::string_view, KW_COUNT> kKeywords = {"Group",
                                                              "OutputLog",
                                                              "DefaultGroup",
                                                              "SelectOffGroups",
                                                              "FamilyOfGroup",
                                                              "PublicName",
                                                              "DocListFile",
                                                              "QueryListFile",
                                                              "FAQ",
                                                              "VAIO",
                                                              "NEC",
                                                              "HITACHI",
                                                              "Doc",
                                                              "SkipDoc",
                                                              "RootPath",
                                                              "RegKey",
                                                              "RegEntry",
                                                              "ExePath",
                                                              "ExeKey",
                                                              "Date",
                                                              "RootOrgPath",
                                                              "ExeOrgPath",
                                                              "ForbidIndexing",
                                                              "SelectAllDB",
                                                              "BlankSource",
                                                              "BlankSources",
                                                              "AddID",
                                                              "DivideNoBookmark",
                                                              "PDFSkipTitleFile",
                                                              "RESOURCE",
                                                              "DataPath",
                                                              "TRUE",
                                                              "FALSE",
                                                              "YES",
                                                              "NO",
                                                              "Disable",
                                                              "WINDOWS",
                                                              "Program Files",
                                                              "SYSTEM",
                                                              "###",
                                                              "%%%"};

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string_view Keyword(EKeyword kw) {
    return kKeywords[kw];
}

bool IsKeyword(std::string_view text, EKeyword kw) {
    std::string_view k = kKeywords[kw];
    return text.size() == k.size() && EqualsFolded(text, k);
}

bool StartsWithKeyword(std::string_view text, EKeyword kw) {
    std::string_view k = kKeywords[kw];
    return text.size() >= k.size() && EqualsFolded(text.substr(0, k.size()), k);
}

}  // namespace tq
