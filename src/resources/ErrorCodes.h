// The component's error codes: 0 is success, every failure a fixed negative number. Codes pass
// unchanged from the lowest layer to the automation object and the exported functions; their
// messages are in frame/ErrorTable.
#pragma once

#include <cstdint>

namespace tq {

constexpr int32_t TQ_OK = 0;
constexpr int32_t TQE_CANCELLED = -1001;            // the operation was cancelled
constexpr int32_t TQE_BASE_OPEN = -1006;            // the base control file cannot be opened
constexpr int32_t TQE_BASE_INVALID = -1007;         // the base control file's contents are invalid
constexpr int32_t TQE_GROUP_NAME_TWICE = -1052;     // a group name is given twice
constexpr int32_t TQE_GROUP_INVALID = -1016;        // invalid group definition
constexpr int32_t TQE_DBNAME_BAD_CHAR = -1018;      // the database name holds unusable characters
constexpr int32_t TQE_DBNAME_HALF_KANA = -1031;     // half-width katakana in a database name
constexpr int32_t TQE_DBNAME_EMPTY = -1013;         // no database name given
constexpr int32_t TQE_DBNAME_TOO_LONG = -1050;      // database name longer than 64 bytes
constexpr int32_t TQE_DBNAME_RESERVED = -1047;      // this name cannot be used as a database name
constexpr int32_t TQE_DBNAME_TWICE = -1046;         // a database name is given twice
constexpr int32_t TQE_DOCLIST_OPEN = -1011;         // the source document list file cannot be opened
constexpr int32_t TQE_DBNAME_NOT_FOUND = -1053;     // the given database name is not valid
constexpr int32_t TQE_REG_WRITE = -1005;            // a registry operation failed
constexpr int32_t TQE_REG_READ = -1008;             // information could not be read from the registry
constexpr int32_t TQE_DB_NUMBER = -1563;            // invalid database number
constexpr int32_t TQE_BASE_UPDATE = -1564;          // the base control file could not be updated
constexpr int32_t TQE_DB_TYPE = -1565;              // invalid database type
constexpr int32_t TQE_NUMBER = -1566;               // invalid number
constexpr int32_t TQE_DOC_NOT_REGISTERED = -1567;   // the given document is not registered
constexpr int32_t TQE_GROUP_NAME = -1568;           // invalid group name
constexpr int32_t TQE_ALREADY_REGISTERED = -1569;   // already registered
constexpr int32_t TQE_DB_FOLDER_CREATE = -1017;     // the database folder could not be created
constexpr int32_t TQE_PATH = -1570;                 // invalid path
constexpr int32_t TQE_FOLDER_DELETE = -1571;        // the folder cannot be deleted
constexpr int32_t TQE_UNSUPPORTED_FILE = -1572;     // unsupported file name
constexpr int32_t TQE_DB_INCOMPLETE = -1573;        // the database's information is incomplete
constexpr int32_t TQE_NO_WRITE_PERMISSION = -1058;  // no write permission
constexpr int32_t TQE_LOG_CREATE = -1061;           // the indexing log cannot be created
constexpr int32_t TQE_EDITING = -1043;              // being edited
constexpr int32_t TQE_EDITING_OTHER = -1063;        // being edited by another user
constexpr int32_t TQE_FAMILY_TWICE = -1066;         // several family names for one group
constexpr int32_t TQE_FAMILY_NAME = -1067;          // invalid family name
constexpr int32_t TQE_GROUP_NAME_USED = -1574;      // the name is already used by a group
constexpr int32_t TQE_CONTROL_CHAR = -1575;         // strings with control characters
constexpr int32_t TQE_DB_LOCKED = -1576;            // this database cannot be changed
constexpr int32_t TQE_NOT_LOADED = -1577;           // the control file has not been loaded
constexpr int32_t TQE_CUSTOMIZE_OFF = -1578;        // user databases cannot be added or edited
// Codes of the sample query update that have no message of their own.
constexpr int32_t TQE_SAMPLE_QUERY_OPEN = -1054;
constexpr int32_t TQE_SAMPLE_QUERY_NEW = -1034;

}  // namespace tq
