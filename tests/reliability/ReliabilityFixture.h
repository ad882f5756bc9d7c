// What the reliability campaigns share: their length, a product saved once (both control files
// exist), a control file as it lies on disk, and the index builder's view of the rebuild requests.
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "applications/AppliOperations.h"
#include "controlfile/CtrlModel.h"
#include "controlfile/CtrlReader.h"
#include "controlfile/CtrlWriter.h"
#include "manager/CtrlFile.h"
#include "manager/ProductFixture.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "platform/Registry.h"

namespace tq::test {

// Short in the suite, full length (TQ_RELIABILITY_FULL=1) from scripts/reliability.sh.
inline int CampaignCount(int nShort, int nFull) {
    const char* psz = std::getenv("TQ_RELIABILITY_FULL");
    return psz != nullptr && std::string(psz) == "1" ? nFull : nShort;
}
inline void PrintCampaignSummary(const std::string& strName, const std::string& strCounts) {
    std::printf("RELIABILITY %s: %s\n", strName.c_str(), strCounts.c_str());
    std::fflush(stdout);
}

inline const std::string kBasePath = "C:\\Ctrl\\base.ctl";
inline const std::string kControlPath = "C:\\Ctrl\\ctrl.ctl";

// A control file as it lies on disk: its bytes, and its model when the reader accepts it.
struct CSavedFile {
    std::string m_strBytes;
    std::unique_ptr<CCtrlModel> m_pModel;  // null when the file does not load
    bool m_bWhole = false;  // the model renders back to the very bytes: nothing torn or mixed
    bool IsWhole() const { return m_pModel != nullptr && m_bWhole; }
};

inline CSavedFile ReadSavedFile(const std::string& strLinuxPath, const std::string& strWinPath,
                                bool bFullForm) {
    CSavedFile saved{ReadLinuxFile(strLinuxPath), nullptr, false};
    auto pModel = std::make_unique<CCtrlModel>();
    CFile file;
    if (CCtrlReader(*pModel, nullptr).Load(file, strWinPath) == 0) {
        saved.m_bWhole = CCtrlWriter(*pModel).Render(bFullForm) == saved.m_strBytes;
        saved.m_pModel = std::move(pModel);
    }
    return saved;
}

// The product of CProductFixture with a sample query file naming MyApp, saved once.
class CSavedProduct : public CProductFixture {
public:
    CSavedProduct() {
        WriteLinuxFile(C("Ctrl/sample.txt"), "%%%MyApp%%%\r\n");
        WriteLinuxFile(C("Ctrl/base.ctl"), CCtrlWriter(*ReadBase().m_pModel).Render(true));
        CCtrlFile file;
        EXPECT_EQ(file.OpenProductKey(kProductPath), 0);
        EXPECT_EQ(file.Load(), 0);
        EXPECT_EQ(file.Save(), 0);
    }
    std::string Sample() const { return ReadLinuxFile(C("Ctrl/sample.txt")); }
    CSavedFile ReadBase() const { return ReadSavedFile(C("Ctrl/base.ctl"), kBasePath, true); }
    CSavedFile ReadCtrl() const { return ReadSavedFile(C("Ctrl/ctrl.ctl"), kControlPath, false); }
};

enum class EContent { kOld, kNew, kNeither };
inline EContent WhichContent(const std::string& bytes, const std::string& strOld,
                             const std::string& strNew) {
    return bytes == strOld ? EContent::kOld : bytes == strNew ? EContent::kNew : EContent::kNeither;
}

// The builder's requests (the value of "<REG>" to pdwReg); answers what ended the enumeration.
inline int32_t ReadRequests(std::set<std::string>& names, uint32_t* pdwReg = nullptr) {
    CRegKey key;
    int32_t err = key.Open(HKEY_LOCAL_MACHINE, kProductPath + "\\Builder\\Request", KEY_READ);
    std::string name, data;
    uint32_t type = 0;
    for (uint32_t i = 0; err == 0 && (err = key.EnumValue(i, name, type, data)) == 0; ++i) {
        names.insert(name);
        if (name == "<REG>" && pdwReg != nullptr) {
            *pdwReg = type == REG_DWORD && data.size() == 4 ? static_cast<uint8_t>(data[0]) : 0;
        }
    }
    return err;
}

// The builder: until it builds again, changed databases need requests, removed ones "<REG>".
class CBuilderView {
public:
    void Build(const CCtrlModel& control) {
        m_bBuilt = true;
        m_built.clear();
        for (const auto& pDb : control.GetDatabases()) {
            m_built[ToLowerCp932(pDb->m_strName)] = Sources(*pDb);
        }
        RegDeleteTree(HKEY_LOCAL_MACHINE, kProductPath + "\\Builder\\Request");
    }

    // What the builder would miss ("" when the requests cover what the control file holds). A
    // builder that never built rebuilds everything on "<REG>".
    std::string FindMissedRequest(const CCtrlModel& control) const {
        std::set<std::string> raw, requested, names;
        uint32_t dwReg = 0;
        ReadRequests(raw, &dwReg);
        if (!m_bBuilt && dwReg == 1) {
            return "";
        }
        std::transform(raw.begin(), raw.end(), std::inserter(requested, requested.end()),
                       ToLowerCp932);
        for (const auto& pDb : control.GetDatabases()) {
            const std::string key = *names.insert(ToLowerCp932(pDb->m_strName)).first;
            if (!requested.count(key) &&
                (!m_built.count(key) || m_built.at(key) != Sources(*pDb))) {
                return "no request for " + std::string(pDb->m_strName);
            }
        }
        for (const auto& [name, sources] : m_built) {
            if (!names.count(name) && dwReg != 1) {
                return name + " left the control file without <REG>";
            }
        }
        return "";
    }

private:
    static std::string Sources(const CCtrlDatabase& db) {
        std::string s = std::string(db.m_strPublicName) + "|" + std::string(db.m_strDocListFile);
        // Piece by piece: "|" + a temporary draws a false -Wrestrict from GCC 12.
        for (const auto& doc : db.m_docs) {
            s.append("|").append(doc);
        }
        for (const auto& doc : db.m_skipDocs) {
            s.append("|-").append(doc);
        }
        return s;
    }

    bool m_bBuilt = false;
    std::map<std::string, std::string> m_built;  // database name (lower case) -> its sources
};

// One kind of save: the change made before it.
inline const std::pair<const char*, std::function<int32_t(CCtrlFile&)>> kSaveCases[] = {
    {"plain change",
     [](CCtrlFile& f) { return CAppliOperations(f).AddDoc(2, "C:\\Docs\\more.chm"); }},
    {"selection change", [](CCtrlFile& f) { return CAppliOperations(f).SetDBSelected(1, 0); }},
    {"rename", [](CCtrlFile& f) { return CAppliOperations(f).RenameAppli(2, "Renamed"); }},
    {"add application",
     [](CCtrlFile& f) {
         CAppliOperations apps(f);
         int32_t r = apps.AddAppli(DBTYPE_FREE, "Added");
         r = r != 0 ? r : apps.AddDBToGroup(3, "Added", &kAppGroup);
         return r != 0 ? r : apps.AddDoc(3, "C:\\Docs\\added.chm");
     }},
};
using CSaveCase = std::remove_extent_t<decltype(kSaveCases)>;

// Everything a save leaves behind: base, control, sample query file, requests, group ids.
using CProductState = std::array<std::string, 5>;
inline CProductState StateOf(const CSavedProduct& product) {
    return {product.Base(), product.Control(), product.Sample(), product.Values("Builder\\Request"),
            product.Values("GroupSet")};
}

// A product saved once, whose requests the builder has taken, loaded and changed.
class CChangedProduct : public CSavedProduct {
public:
    explicit CChangedProduct(const CSaveCase& saveCase) {
        m_builder.Build(*ReadCtrl().m_pModel);
        m_old = StateOf(*this);
        EXPECT_EQ(m_pFile->OpenProductKey(kProductPath), 0);
        EXPECT_EQ(m_pFile->Load(), 0);
        EXPECT_EQ(saveCase.second(*m_pFile), 0);
    }

    std::unique_ptr<CCtrlFile> m_pFile = std::make_unique<CCtrlFile>();
    CBuilderView m_builder;
    CProductState m_old;
};

}  // namespace tq::test
