// Lookups of databases by public name and by name, ignoring case, in constant time, so that
// adding thousands of applications one after another stays linear. The index follows the
// model lazily: it is rebuilt from the model when it was invalidated, when the number of
// databases changed behind its back, or when an entry it holds no longer matches.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controlfile/CtrlDatabase.h"
#include "platform/Cp932.h"

namespace tq {

class CCtrlModel;

class CDBNameIndex {
public:
    // Forget everything; the next lookup rebuilds.
    void Invalidate() { m_bValid = false; }

    // Positions, in increasing order, of the databases whose public name equals the text / whose
    // name or previous name equals the text (both ignoring case). Empty when none.
    const std::vector<size_t>& FindPublicName(const CCtrlModel& model, std::string_view text);
    const std::vector<size_t>& FindName(const CCtrlModel& model, std::string_view text);

    // Keeps the index in step with a database at pos whose names are about to change (Remove)
    // or have just been set (Add). Add of the last position is how an appended database joins.
    void Remove(const CCtrlModel& model, size_t pos);
    void Add(const CCtrlModel& model, size_t pos);

private:
    // Keyed by the text as first inserted, hashed and compared ignoring case, so that a lookup
    // takes the text as it is, without a lowered copy.
    using CMap = std::unordered_map<std::string, std::vector<size_t>, CNoCaseHash, CNoCaseEqual>;

    void Sync(const CCtrlModel& model, bool bPublic);
    void Rebuild(const CCtrlModel& model);
    void AddNames(const CCtrlDatabase& db, size_t pos);
    const std::vector<size_t>& Find(const CCtrlModel& model, std::string_view text, bool bPublic);
    static bool Matches(const CCtrlDatabase& db, std::string_view text, bool bPublic);
    static void Insert(CMap& map, std::string_view text, size_t pos);
    static void Erase(CMap& map, std::string_view text, size_t pos);

    bool m_bValid = false;
    // The names are indexed only once a lookup by name needs them: a model read only to be
    // compared is looked up by public name alone.
    bool m_bNamesValid = false;
    size_t m_nCount = 0;
    CMap m_byPublicName;
    CMap m_byName;
};

}  // namespace tq
