// The component's string resources, in code page 932 exactly as shown to users: the indexing
// log's messages (1-21), the dialog and question texts (101-127) and the automation exception
// text (61837). The texts are generated from resources/strings.txt (UTF-8) by
// scripts/gen_strings.py; the generated table holds the code page 932 bytes.
#pragma once

#include <cstdint>

namespace tq {

// The text of a string resource, or nullptr when the id has none.
const char* LoadString(uint32_t id);

// Resource ids used by the code.
constexpr uint32_t IDS_LOG_BAD_LINE = 1;
constexpr uint32_t IDS_LOG_BAD_LINE_IN = 2;
constexpr uint32_t IDS_LOG_SKIPPED = 9;
constexpr uint32_t IDS_LOG_SKIPPED_IN = 10;
constexpr uint32_t IDS_LOG_START = 11;
constexpr uint32_t IDS_LOG_GROUPS = 12;
constexpr uint32_t IDS_LOG_DBNAME_INVALID = 13;
constexpr uint32_t IDS_LOG_DBNAME_TWICE = 14;
constexpr uint32_t IDS_LOG_NO_GROUP = 15;
constexpr uint32_t IDS_LOG_PDFSKIP_MISSING = 16;
constexpr uint32_t IDS_LOG_DOCLIST_MISSING = 17;
constexpr uint32_t IDS_LOG_NO_DOCS = 18;
constexpr uint32_t IDS_LOG_ROOTORG_NO_REGKEY = 19;
constexpr uint32_t IDS_LOG_EXEORG_NO_EXEKEY = 20;
constexpr uint32_t IDS_LOG_REGENTRY_NO_REGKEY = 21;
constexpr uint32_t IDS_LOG_RENAMES_DAMAGED = 22;
constexpr uint32_t IDS_LOG_RENAMES_NEWER = 23;
constexpr uint32_t IDS_LOG_RENAME_DROPPED = 24;
constexpr uint32_t IDS_ENTER_APP_NAME = 101;
constexpr uint32_t IDS_SPECIFY_TARGETS = 102;
constexpr uint32_t IDS_APP_EXISTS = 103;
constexpr uint32_t IDS_FILE_NO_TOPICS = 107;
constexpr uint32_t IDS_APP_NAME_UNUSABLE = 108;
constexpr uint32_t IDS_APP_NAME_CONTROL = 109;
constexpr uint32_t IDS_CONFIRM_EDITED = 110;
constexpr uint32_t IDS_CONFIRM_REMOVE_APP = 111;
constexpr uint32_t IDS_CONFIRM_SELECTED = 112;
constexpr uint32_t IDS_LEFT_OUT = 120;
constexpr uint32_t IDS_LEFT_OUT_LINE = 121;
constexpr uint32_t IDS_LEFT_OUT_FOLDER = 122;
constexpr uint32_t IDS_LEFT_OUT_MISSING = 123;
constexpr uint32_t IDS_LEFT_OUT_NAME = 124;
constexpr uint32_t IDS_LEFT_OUT_NO_CP932 = 125;
constexpr uint32_t IDS_LEFT_OUT_TOO_LONG = 126;
constexpr uint32_t IDS_LEFT_OUT_MORE = 127;
constexpr uint32_t IDS_READONLY_PROPERTY = 61837;

}  // namespace tq
