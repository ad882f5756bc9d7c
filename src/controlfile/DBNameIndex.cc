#include "controlfile/DBNameIndex.h"

#include <algorithm>
#include <string>

#include "controlfile/CtrlModel.h"

namespace tq {
namespace {

const std::vector<size_t> kNone;

}  // namespace

void CDBNameIndex::Insert(CMap& map, std::string_view text, size_t pos) {
    auto found = map.find(text);
    if (found == map.end()) {
        map.emplace(std::string(text), std::vector<size_t>{pos});
        return;
    }
    auto& list = found->second;
    auto it = std::lower_bound(list.begin(), list.end(), pos);
    if (it == list.end() || *it != pos) {
        list.insert(it, pos);
    }
}

void CDBNameIndex::Erase(CMap& map, std::string_view text, size_t pos) {
    auto found = map.find(text);
    if (found == map.end()) {
        return;
    }
    auto& list = found->second;
    auto it = std::lower_bound(list.begin(), list.end(), pos);
    if (it != list.end() && *it == pos) {
        list.erase(it);
    }
    if (list.empty()) {
        map.erase(found);
    }
}

// The public names only: the names follow when a lookup by name first needs them (Sync).
void CDBNameIndex::Rebuild(const CCtrlModel& model) {
    m_byPublicName.clear();
    m_byName.clear();
    m_nCount = model.GetDBCount();
    m_bValid = true;
    m_bNamesValid = false;
    m_byPublicName.reserve(m_nCount);
    for (size_t pos = 0; pos < m_nCount; ++pos) {
        Add(model, pos);
    }
}

void CDBNameIndex::Sync(const CCtrlModel& model, bool bPublic) {
    if (!m_bValid || m_nCount != model.GetDBCount()) {
        Rebuild(model);
    }
    if (!bPublic && !m_bNamesValid) {
        m_byName.reserve(m_nCount);
        for (size_t pos = 0; pos < m_nCount; ++pos) {
            AddNames(*model.GetDatabase(pos), pos);
        }
        m_bNamesValid = true;
    }
}

void CDBNameIndex::AddNames(const CCtrlDatabase& db, size_t pos) {
    Insert(m_byName, db.m_strName, pos);
    if (!db.m_strPrevName.empty()) {
        Insert(m_byName, db.m_strPrevName, pos);
    }
}

void CDBNameIndex::Add(const CCtrlModel& model, size_t pos) {
    if (!m_bValid) {
        return;
    }
    if (pos == m_nCount && pos < model.GetDBCount()) {
        ++m_nCount;
    }
    const CCtrlDatabase& db = *model.GetDatabase(pos);
    Insert(m_byPublicName, db.m_strPublicName, pos);
    if (m_bNamesValid) {
        AddNames(db, pos);
    }
}

void CDBNameIndex::Remove(const CCtrlModel& model, size_t pos) {
    if (!m_bValid) {
        return;
    }
    const CCtrlDatabase& db = *model.GetDatabase(pos);
    Erase(m_byPublicName, db.m_strPublicName, pos);
    if (m_bNamesValid) {
        Erase(m_byName, db.m_strName, pos);
        if (!db.m_strPrevName.empty()) {
            Erase(m_byName, db.m_strPrevName, pos);
        }
    }
}

bool CDBNameIndex::Matches(const CCtrlDatabase& db, std::string_view text, bool bPublic) {
    if (bPublic) {
        return EqualsNoCase(db.m_strPublicName, text);
    }
    return EqualsNoCase(db.m_strName, text) ||
           (!db.m_strPrevName.empty() && EqualsNoCase(db.m_strPrevName, text));
}

const std::vector<size_t>& CDBNameIndex::Find(const CCtrlModel& model, std::string_view text,
                                              bool bPublic) {
    Sync(model, bPublic);
    const CMap& map = bPublic ? m_byPublicName : m_byName;
    for (int pass = 0; pass < 2; ++pass) {
        auto it = map.find(text);
        if (it == map.end()) {
            return kNone;
        }
        // The hits are checked against the model: a name changed without the index knowing
        // sends it back to the model once.
        bool bTrue = std::all_of(it->second.begin(), it->second.end(), [&](size_t pos) {
            return pos < model.GetDBCount() && Matches(*model.GetDatabase(pos), text, bPublic);
        });
        if (bTrue) {
            return it->second;
        }
        Rebuild(model);
        Sync(model, bPublic);
    }
    return kNone;
}

const std::vector<size_t>& CDBNameIndex::FindPublicName(const CCtrlModel& model,
                                                        std::string_view text) {
    return Find(model, text, true);
}

const std::vector<size_t>& CDBNameIndex::FindName(const CCtrlModel& model, std::string_view text) {
    return Find(model, text, false);
}

}  // namespace tq
