// The product's registry key: HKEY_LOCAL_MACHINE\SOFTWARE\Orbanworks\Trellisquest\<product>\.
// Every registry read and write below the product key goes through this class. Operations
// return the registry's Win32 error code (0 = success) and leave their out arguments unchanged
// on failure; every one that needs the key path answers ERROR_FILE_NOT_FOUND while no key is
// open.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "controlfile/UniqueIdStore.h"
#include "platform/Registry.h"

namespace tq {

class CProductRegKey : public IUniqueIdStore {
public:
    CProductRegKey() = default;

    // Opens the key for reading to check that it exists, then remembers the path with a
    // trailing backslash. On failure the key path stays empty.
    int32_t Open(const std::string& strPath);
    // The key path with its trailing backslash; empty while no key is open.
    const std::string& GetPath() const { return m_strKeyPath; }
    HKEY GetRoot() const { return m_hRoot; }

    int32_t GetDWORD(const std::string& strSubKey, const std::string& strName,
                     uint32_t& value) const;
    int32_t GetString(const std::string& strSubKey, const std::string& strName,
                      std::string& value) const;
    int32_t GetValueType(const std::string& strSubKey, const std::string& strName,
                         uint32_t& type) const;
    int32_t SetDWORD(const std::string& strSubKey, const std::string& strName, uint32_t value);
    // Writes a REG_SZ value with its terminating NUL.
    int32_t SetString(const std::string& strSubKey, const std::string& strName,
                      const std::string& value);
    // Deletes the subkey with everything below it; returns the result of the final deletion.
    int32_t DeleteTree(const std::string& strSubKey);
    // Puts what was written to the product's registry on the disk (a power loss keeps it).
    int32_t Flush() const;
    // Whether this user may write below "Builder": writes "AccessCheck" = 0 and deletes it.
    bool CheckWriteAccess();

    // The groups' unique ids: "GroupSet" holds one value per group number and "NextUniqueID".
    int32_t GetGroupSetDWORD(uint32_t n, uint32_t& value) const override;
    int32_t GetNextUniqueID(uint32_t& value) const override;
    int32_t DeleteGroupSet() override;
    int32_t SetGroupSet(const std::map<uint32_t, uint32_t>& ids, uint32_t dwNext) override;
    // The ids a save is about to give, under "GroupSet\Pending" until the ids themselves are
    // saved (which replaces "GroupSet" with everything below it): a mark of the group tree they
    // belong to, the unique id of each group number, and the next unique id. Written in one
    // transaction.
    int32_t SetPendingGroupIds(const std::string& strTree, const std::map<uint32_t, uint32_t>& ids,
                               uint32_t dwNext);
    // ERROR_FILE_NOT_FOUND when there are none; values of another form are not taken.
    int32_t GetPendingGroupIds(std::string& strTree, std::map<uint32_t, uint32_t>& ids,
                               uint32_t& dwNext) const;
    bool IsCustomizeEnabled() const;
    bool GetProductName(std::string& strName) const;
    // Deletes "GroupSet" and "Builder\Request", sets "<REG>" = 1 and stamps the local date and
    // time under "Builder\GroupSet".
    int32_t ResetBuilderRequest();

private:
    // Registry path of a subkey; the empty subkey is the product key itself.
    std::string SubKeyPath(const std::string& strSubKey) const;
    int32_t OpenSubKey(const std::string& strSubKey, uint32_t access, CRegKey& key) const;
    int32_t CreateSubKey(const std::string& strSubKey, CRegKey& key) const;

    std::string m_strKeyPath;
    HKEY m_hRoot = HKEY_LOCAL_MACHINE;
};

}  // namespace tq
