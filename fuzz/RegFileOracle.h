// What must hold for any bytes given to the .reg importer: it returns; a failure has a message
// and leaves the registry as it was; after a success, every hive root's export, imported into an
// empty registry, rebuilds it and exports to the same text (in the UTF-16 form as far as the
// names and texts survive UTF-16). Each check leaves the registry as Init found it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "platform/posix/RegFile.h"

namespace tq::fuzz {

// HKEY_CLASSES_ROOT lives inside HKEY_LOCAL_MACHINE, so these three cover the whole registry.
constexpr HKEY kHiveRoots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS};

struct CRegSnapshotKey {
    HKEY m_root = HKEY_LOCAL_MACHINE;
    std::string m_strPath;  // below the root; empty for the root itself
    std::vector<std::tuple<std::string, uint32_t, std::string>> m_values;  // name, type, data
    size_t m_nDepth = 0;  // the levels of m_strPath

    bool operator==(const CRegSnapshotKey&) const = default;
};
// Every key in enumeration order (parents before children).
using CRegSnapshot = std::vector<CRegSnapshotKey>;

inline int32_t SnapshotKey(HKEY root, const std::string& strPath, size_t nDepth, const CRegKey& key,
                           CRegSnapshot& out) {
    out.push_back({root, strPath, {}, nDepth});
    std::string strName, data;
    uint32_t type = 0;
    int32_t err;
    for (uint32_t i = 0; (err = key.EnumValue(i, strName, type, data)) == ERROR_SUCCESS; ++i) {
        out.back().m_values.emplace_back(strName, type, data);
    }
    err = err == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : err;
    for (uint32_t i = 0; err == ERROR_SUCCESS && (err = key.EnumKey(i, strName)) == ERROR_SUCCESS;
         ++i) {
        CRegKey child;
        if ((err = child.Open(key, strName, KEY_READ)) == ERROR_SUCCESS) {
            err = SnapshotKey(root, strPath.empty() ? strName : strPath + "\\" + strName,
                              nDepth + 1, child, out);
        }
    }
    return err == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : err;
}

inline int32_t TakeSnapshot(CRegSnapshot& out) {
    out.clear();
    int32_t err = ERROR_SUCCESS;
    for (HKEY root : kHiveRoots) {
        CRegKey key;
        if (err == ERROR_SUCCESS && (err = key.Open(root, "", KEY_READ)) == ERROR_SUCCESS) {
            err = SnapshotKey(root, "", 0, key, out);
        }
    }
    return err;
}

// Empties the registry: every key below the roots and every value of the roots, in one batch.
inline int32_t ClearRegistry() {
    CRegSnapshot now;
    int32_t err = TakeSnapshot(now);
    CRegistryBatch batch;
    for (size_t i = 0; err == ERROR_SUCCESS && i < now.size(); ++i) {
        const CRegSnapshotKey& entry = now[i];
        CRegKey key;
        if (entry.m_nDepth == 1) {
            err = RegDeleteTree(entry.m_root, entry.m_strPath);  // a key right below its root
        } else if (entry.m_nDepth == 0 &&
                   (err = key.Open(entry.m_root, "", KEY_ALL_ACCESS)) == ERROR_SUCCESS) {
            for (size_t v = 0; err == ERROR_SUCCESS && v < entry.m_values.size(); ++v) {
                err = key.DeleteValue(std::get<0>(entry.m_values[v]));
            }
        }
    }
    return err == ERROR_SUCCESS ? batch.Commit() : err;
}

// Makes the registry exactly the snapshot, in one batch, through the registry calls.
inline int32_t RestoreSnapshot(const CRegSnapshot& snapshot) {
    CRegistryBatch batch;
    int32_t err = ClearRegistry();
    for (size_t i = 0; err == ERROR_SUCCESS && i < snapshot.size(); ++i) {
        const CRegSnapshotKey& entry = snapshot[i];
        CRegKey key;
        err = key.Create(entry.m_root, entry.m_strPath, KEY_ALL_ACCESS);
        for (size_t v = 0; err == ERROR_SUCCESS && v < entry.m_values.size(); ++v) {
            const auto& [strName, type, data] = entry.m_values[v];
            err = key.SetValue(strName, type, data.data(), static_cast<uint32_t>(data.size()));
        }
    }
    return err == ERROR_SUCCESS ? batch.Commit() : err;
}

// Whether every name and text comes back unchanged through UTF-16.
inline bool SnapshotSurvivesUtf16(const CRegSnapshot& snapshot) {
    auto SurvivesUtf16 = [](std::string_view text) {
        std::u16string wide;
        std::string back;
        return Cp932ToUtf16(text, wide) == ERROR_SUCCESS &&
               Utf16ToCp932(wide, back) == ERROR_SUCCESS && back == text;
    };
    bool bAll = true;
    for (const CRegSnapshotKey& entry : snapshot) {
        bAll = bAll && SurvivesUtf16(entry.m_strPath);
        for (const auto& [strName, type, data] : entry.m_values) {
            bool bText = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
            bAll = bAll && SurvivesUtf16(strName) && (!bText || SurvivesUtf16(data));
        }
    }
    return bAll;
}

class CRegFileOracle {
public:
    // An export names each key by its full path (the square of the depth): deeper ones import only.
    static constexpr size_t kRoundTripMaxDepth = 64;

    // Captures the current registry as the state every check starts from and returns to.
    int32_t Init() { return TakeSnapshot(m_pristine); }

    // What went wrong ("" when everything holds); plImport receives the import's code.
    std::string Check(std::string_view bytes, int32_t* plImport = nullptr) {
        CRegFileError error;
        int32_t lDiscarded = 0, &err = plImport != nullptr ? *plImport : lDiscarded;
        err = ImportRegText(bytes, "fuzz.reg", error);
        CRegSnapshot after;  // a refused input that changed nothing needs no restoring
        if (err != ERROR_SUCCESS && TakeSnapshot(after) == ERROR_SUCCESS && after == m_pristine) {
            return error.m_strMessage.empty()
                       ? "a failed import (" + std::to_string(err) + ") gives no message"
                       : std::string();
        }
        std::string strWhy = err != ERROR_SUCCESS
                                 ? "a failed import changed the registry: " + error.Format()
                                 : CheckImported();
        if (int32_t e = RestoreSnapshot(m_pristine); e != ERROR_SUCCESS && strWhy.empty()) {
            strWhy = "cannot restore the registry: error " + std::to_string(e);
        }
        return strWhy;
    }

private:
    std::string CheckImported() {
        CRegSnapshot imported;
        if (int32_t e = TakeSnapshot(imported); e != ERROR_SUCCESS) {
            return "cannot read the imported registry: error " + std::to_string(e);
        }
        if (std::any_of(imported.begin(), imported.end(),
                        [](const auto& key) { return key.m_nDepth > kRoundTripMaxDepth; })) {
            return std::string();
        }
        for (bool bUnicode : {false, true}) {
            if (std::string strWhy = CheckRoundTrip(imported, bUnicode); !strWhy.empty()) {
                return std::string(bUnicode ? "UTF-16" : "REGEDIT4") + " form: " + strWhy;
            }
        }
        return std::string();
    }

    // Exports every hive root, one text each; "" or why not (err receives the code).
    static std::string ExportAll(bool bUnicode, std::vector<std::string>& texts, int32_t& err) {
        texts.assign(std::size(kHiveRoots), std::string());
        CRegFileError error;
        err = ERROR_SUCCESS;
        for (size_t i = 0; err == ERROR_SUCCESS && i < texts.size(); ++i) {
            err = ExportRegText(kHiveRoots[i], "", bUnicode, texts[i], error);
        }
        return err == ERROR_SUCCESS ? std::string() : "export failed: " + error.Format();
    }

    static std::string CheckRoundTrip(const CRegSnapshot& imported, bool bUnicode) {
        std::vector<std::string> first, second;
        int32_t err;
        std::string strWhy = ExportAll(bUnicode, first, err);
        if (err != ERROR_SUCCESS) {
            return bUnicode && err == ERROR_NO_UNICODE_TRANSLATION ? std::string() : strWhy;
        }
        if ((err = ClearRegistry()) != ERROR_SUCCESS) {
            return "cannot empty the registry: error " + std::to_string(err);
        }
        for (const std::string& text : first) {
            CRegFileError error;
            if (ImportRegText(text, "export.reg", error) != ERROR_SUCCESS) {
                return "the export does not import again: " + error.Format();
            }
        }
        CRegSnapshot rebuilt;
        if ((err = TakeSnapshot(rebuilt)) != ERROR_SUCCESS) {
            return "cannot read the rebuilt registry: error " + std::to_string(err);
        }
        if (bUnicode && !SnapshotSurvivesUtf16(imported)) {
            return std::string();  // names may merge, texts may change: importing is all
        }
        if (rebuilt != imported) {
            return "the export does not rebuild the same registry";
        }
        if (strWhy = ExportAll(bUnicode, second, err); err != ERROR_SUCCESS) {
            return "the rebuilt registry does not export: " + strWhy;
        }
        return second == first ? std::string() : "the export is not exported back byte for byte";
    }

    CRegSnapshot m_pristine;
};

}  // namespace tq::fuzz
