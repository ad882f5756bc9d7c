// One database of a control file: a section "[name]" with its keys. Owned by the model's
// database array; its kind (fixed, selection-type, free-type) follows from its position.
#pragma once

#include <cstdint>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

namespace tq {

class CCtrlGroup;

// State bits of a database (the state word).
constexpr uint32_t DBSTATE_NEW = 1u << 20;             // added since loading
constexpr uint32_t DBSTATE_WAS_DESELECTED = 1u << 24;  // deselected when last loaded or saved
constexpr uint32_t DBSTATE_DESELECTED = 1u << 25;      // deselected now ("]~")
constexpr uint32_t DBSTATE_NAME_CHANGED = 1u << 26;    // public name changed
constexpr uint32_t DBSTATE_REBUILD = 1u << 30;         // rebuild requested

// Attribute word: low byte the FAQ kind, second byte the BlankSource switch.
constexpr uint32_t DBATTR_FAQ_MASK = 0xFF;
constexpr uint32_t DBFAQ_NONE = 0;
constexpr uint32_t DBFAQ_VAIO = 1;
constexpr uint32_t DBFAQ_NEC = 2;
constexpr uint32_t DBFAQ_HITACHI = 3;
constexpr uint32_t DBATTR_BLANK_TRUE = 1u << 8;
constexpr uint32_t DBATTR_BLANK_FALSE = 1u << 9;

// Date and time of a database, kept to the second. A date before 1900 counts as no date.
struct CCtrlDate {
    int m_nYear = 0;
    int m_nMonth = 0;
    int m_nDay = 0;
    int m_nHour = 0;
    int m_nMinute = 0;
    int m_nSecond = 0;
    bool m_bValid = true;  // false after a Date value that did not parse

    bool IsWritable() const { return m_bValid && m_nYear >= 1900; }
};

// Indexed lists hold at most 10 slots (key suffix none, 1..9); an empty string is an empty slot.
constexpr size_t kIndexedSlots = 10;
// A RegEntry given as an empty pair of quotes: present but empty.
constexpr const char* kEmptyRegEntry = "\n";

// The texts of a database. A model's databases take their memory from the model's pool, so that
// loading a file of many databases costs a few large allocations instead of one per text, and
// clearing the model hands the memory back at once; a database made on its own uses the heap.
using CtrlString = std::pmr::string;
using CtrlStringList = std::pmr::vector<std::pmr::string>;

// Texts compare by their bytes, whatever memory holds them.
inline bool operator==(const std::string& a, const CtrlString& b) {
    return std::string_view(a) == std::string_view(b);
}

class CCtrlDatabase {
public:
    CCtrlDatabase() = default;
    explicit CCtrlDatabase(std::pmr::memory_resource* pResource);

    CtrlString m_strName;
    CtrlString m_strPrevName;
    CtrlString m_strPublicName;
    CtrlString m_strPrevPublicName;
    CtrlString m_strDocListFile;
    CtrlString m_strPdfSkipTitleFile;
    CtrlStringList m_docs;
    CtrlStringList m_skipDocs;
    CtrlStringList m_rootPath;
    CtrlStringList m_regKey;
    CtrlStringList m_regEntry;
    CtrlStringList m_exePath;
    CtrlStringList m_exeKey;
    CtrlStringList m_rootOrgPath;
    CtrlStringList m_exeOrgPath;
    std::pmr::vector<CCtrlGroup*> m_groups;  // not owned; each entry holds one reference
    uint32_t m_dwAttributes = 0;
    uint32_t m_dwState = 0;
    CCtrlDate m_date;

    bool IsDeselected() const { return (m_dwState & DBSTATE_DESELECTED) != 0; }
    // Stores into slot n of an indexed list: pads with empty slots below n, replaces an
    // existing slot.
    static void StoreIndexed(CtrlStringList& list, size_t n, std::string_view value);
};

}  // namespace tq
