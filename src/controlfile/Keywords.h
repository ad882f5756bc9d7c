// The keyword table of the control file: every key, switch word and marker that the reader and
// the writer use comes from this one table, so both spell them alike.
#pragma once

#include <cstddef>
#include <string_view>

namespace tq {

enum EKeyword : size_t {
    KW_GROUP,
    KW_OUTPUT_LOG,
    KW_DEFAULT_GROUP,
    KW_SELECT_OFF_GROUPS,
    KW_FAMILY_OF_GROUP,
    KW_PUBLIC_NAME,
    KW_DOC_LIST_FILE,
    KW_QUERY_LIST_FILE,
    KW_FAQ,
    KW_VAIO,
    KW_NEC,
    KW_HITACHI,
    KW_DOC,
    KW_SKIP_DOC,
    KW_ROOT_PATH,
    KW_REG_KEY,
    KW_REG_ENTRY,
    KW_EXE_PATH,
    KW_EXE_KEY,
    KW_DATE,
    KW_ROOT_ORG_PATH,
    KW_EXE_ORG_PATH,
    KW_FORBID_INDEXING,
    KW_SELECT_ALL_DB,
    KW_BLANK_SOURCE,
    KW_BLANK_SOURCES,
    KW_ADD_ID,
    KW_DIVIDE_NO_BOOKMARK,
    KW_PDF_SKIP_TITLE_FILE,
    KW_RESOURCE,
    KW_DATA_PATH,
    KW_TRUE,
    KW_FALSE,
    KW_YES,
    KW_NO,
    KW_DISABLE,
    KW_WINDOWS,
    KW_PROGRAM_FILES,
    KW_SYSTEM,
    KW_SEPARATOR,
    KW_QUERY_MARKER,
    KW_COUNT
};

// The keyword's text ("Group", "OutputLog", ... "###", "%%%").
std::string_view Keyword(EKeyword kw);

// Keys and switch words match without regard to ASCII case. Every keyword is ASCII, so a text
// that matches one byte for byte (folding letters) cannot end inside a double-byte character.
bool IsKeyword(std::string_view text, EKeyword kw);
bool StartsWithKeyword(std::string_view text, EKeyword kw);

}  // namespace tq
