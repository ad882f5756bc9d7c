// Where the groups' unique ids are kept between saves. The index builder knows a group by its
// unique id, which stays the same while the control file renumbers its groups; the product's
// registry key keeps them (the manager's CProductRegKey). Calls answer 0 or the store's error
// code and leave their out arguments unchanged on failure.
#pragma once

#include <cstdint>
#include <map>

namespace tq {

class IUniqueIdStore {
public:
    virtual ~IUniqueIdStore() = default;
    // The unique id kept for the group numbered n.
    virtual int32_t GetGroupSetDWORD(uint32_t n, uint32_t& value) const = 0;
    // The unique id the next new group gets.
    virtual int32_t GetNextUniqueID(uint32_t& value) const = 0;
    // Forgets every id kept; ERROR_FILE_NOT_FOUND when none was.
    virtual int32_t DeleteGroupSet() = 0;
    // Keeps the unique id of each group number, then the one the next new group gets.
    virtual int32_t SetGroupSet(const std::map<uint32_t, uint32_t>& ids, uint32_t dwNext) = 0;
};

}  // namespace tq
