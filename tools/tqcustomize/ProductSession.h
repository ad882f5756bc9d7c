// One product as the window sees it, reached only through the automation object and the
// module's exports: the object named for the product, its edit status, its loaded list of
// databases with what the object tells of each, the changes made to it, and the indexing log.
// No toolkit here: the window calls these on its own thread, the loading worker on its thread
// while the window leaves the object alone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controlfile/DBTypes.h"
#include "hostclient/AutomationClient.h"

namespace tq::customize {

// The answer of a call the object never made: the module is not registered, not loadable, or
// refused the call. Its text is the session's failure text.
constexpr int32_t kHostFailure = -1;

// One database of the list: where the object finds it and what the window shows of it.
struct CDatabaseRow {
    int32_t m_lType = 0;          // DBTYPE_FIXED, DBTYPE_SELECTION or DBTYPE_FREE
    int32_t m_lNumber = 0;        // 1-based within its type
    std::string m_strPublicName;  // code page 932
    bool m_bSelected = false;
    bool m_bWasSelected = false;  // as the files have it
    bool m_bInstalled = false;
    bool m_bIndexPending = false;  // its files changed since the builder last indexed them
};

// Called every so many rows while the list is read: rows read, rows in all.
using CProgress = std::function<void(int32_t lDone, int32_t lTotal)>;

// The registry path below HKEY_LOCAL_MACHINE of a product key (code page 932).
std::string GetProductKeyPath(const std::string& strProduct);
// The product keys installed (code page 932).
std::vector<std::string> ListProducts();

class CProductSession {
public:
    // Creates the object and names the product (code page 932): 0, the object's code, or
    // kHostFailure.
    int32_t Open(const std::string& strProduct);
    bool IsOpen() const { return m_bReady; }
    // The product's registry path below HKEY_LOCAL_MACHINE and its display name.
    const std::string& GetKeyPath() const { return m_strKeyPath; }
    const std::string& GetProductName() const { return m_strProductName; }
    bool CanCustomize() { return m_bReady && m_client.Call("EnableCustomize", {}).GetBool(); }

    // The object's Status: one of the EDITSTATUS values.
    int32_t GetStatus();
    // Load (again: Revert) and read the whole list; 0 or a code. Until this object is the
    // product's editor it asks Status first, since a load goes on beside a builder that holds
    // the files: while another editor or the builder holds them, lStatus gets EDITSTATUS_EDITING
    // or EDITSTATUS_LOCKED, nothing is loaded and the result is TQE_EDITING.
    int32_t Load(std::vector<CDatabaseRow>& rows, int32_t& lStatus, const CProgress& progress = {});
    // Reads what the object answers of one database (after an edit or an add): its place, name,
    // selection and installation. What the files had and the builder's marker are the caller's.
    int32_t ReadRow(int32_t lType, int32_t lNumber, CDatabaseRow& row);
    // Whether the database's files wait for the index builder (false when the object cannot
    // tell).
    bool IsIndexPending(const CDatabaseRow& row);
    // The indexing log the last load wrote (code page 932); empty when there is none.
    std::string ReadIndexingLog();

    int32_t SetSelected(const CDatabaseRow& row, bool bSelected);
    // The wizard: the new application's number among the free-type databases, or a code.
    // targets (Windows paths) go into its target list first.
    int32_t Add(const std::vector<std::string>& targets = {});
    int32_t Edit(const CDatabaseRow& row);
    int32_t Remove(const CDatabaseRow& row);
    int32_t Save(int32_t lMode);

    // The message of a code (code page 932); for kHostFailure the failure's account.
    std::string GetMessage(int32_t lCode);

private:
    // A method that answers a long: its answer, or kHostFailure when the call failed.
    int32_t CallLong(const char* pszMember, const std::vector<VARIANT>& args);
    int32_t Fail(HRESULT hr, const std::string& strDetail);

    host::CAutomationClient m_client;
    host::CModuleExports m_exports;
    bool m_bExports = false;
    bool m_bReady = false;
    bool m_bEditor = false;  // the object holds the editing mutex (its Load got past it)
    std::string m_strKeyPath;
    std::string m_strProductName;
    std::string m_strFailure;
};

}  // namespace tq::customize
