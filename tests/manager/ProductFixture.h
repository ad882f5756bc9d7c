// A product in a private prefix: its registry values, folders on C: and a base control file.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "frame/CtrlFileMgrIds.h"
#include "manager/ProductRegKey.h"
#include "platform/Path.h"
#include "platform/Registry.h"
#include "support/TestSupport.h"

namespace tq::test {

inline const std::string kProductPath = std::string(kProductKeyBase) + "Demo";

// "アプリケーション", the group every user application is filed under.
inline const std::string kAppGroup =
    "\x83\x41\x83\x76\x83\x8A\x83\x50\x81\x5B\x83\x56\x83\x87\x83\x93";

inline const std::string kBaseText =
    "Group1 = \"Manuals\"\r\nGroup2 = \"" + kAppGroup + "\"\r\nGroup3 = \"2@MyApp\"\r\n" +
    "[Fixed1]\r\nPublicName = \"Fixed One\"\r\nGroup = 1\r\nDoc = \"C:\\Docs\\f1.chm\"\r\n"
    "###\r\n"
    "[Sel1]\r\nPublicName = \"Selection One\"\r\nGroup = 1\r\nDoc = \"C:\\Docs\\s1.chm\"\r\n"
    "ExePath = \"C:\\Exe\"\r\n"
    "###\r\n"
    "[MyApp]\r\nPublicName = \"MyApp\"\r\nGroup = 2\r\nGroup = 3\r\n"
    "Doc = \"C:\\Docs\\my.chm > MyApp\"\r\n";

class CProductFixture {
public:
    CProductFixture() {
        SetString("", "ProductName", "Demo Search");
        SetString("Path", "DataPath", "C:\\Data");
        SetString("Path", "Control", "C:\\Ctrl");
        SetString("Path", "SampleQuery", "C:\\Ctrl\\");
        SetString("Builder", "BaseControlFile", "base.ctl");
        SetString("Builder", "ControlFile", "ctrl.ctl");
        SetString("Builder", "SampleQueryFile", "sample.txt");
        MakeLinuxDir(C("Data"));
        MakeLinuxDir(C("Ctrl"));
        WriteLinuxFile(C("Ctrl/base.ctl"), kBaseText);
    }

    std::string C(const std::string& rel) const { return m_prefix.Path("drives/c/" + rel); }
    std::string Base() const { return ReadLinuxFile(C("Ctrl/base.ctl")); }
    std::string Control() const { return ReadLinuxFile(C("Ctrl/ctrl.ctl")); }

    static void SetString(const std::string& sub, const std::string& name,
                          const std::string& value) {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, Sub(sub), KEY_ALL_ACCESS), 0);
        ASSERT_EQ(key.SetString(name, value), 0);
    }
    // The product's switch for user applications (USER\AddTarget\Customize).
    static void SetCustomize(uint32_t dwValue) {
        CRegKey key;
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, Sub("USER\\AddTarget"), KEY_ALL_ACCESS), 0);
        ASSERT_EQ(key.SetDword("Customize", dwValue), 0);
    }
    static void DeleteValue(const std::string& sub, const std::string& name) {
        CRegKey key;
        ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, Sub(sub), KEY_ALL_ACCESS), 0);
        ASSERT_EQ(key.DeleteValue(name), 0);
    }
    // The values of a subkey as "name=data;" in order; "-" when the key does not exist.
    static std::string Values(const std::string& sub) {
        CRegKey key;
        if (key.Open(HKEY_LOCAL_MACHINE, Sub(sub), KEY_READ) != 0) {
            return "-";
        }
        std::string out, name, data;
        uint32_t type = 0;
        for (uint32_t i = 0; key.EnumValue(i, name, type, data) == 0; ++i) {
            if (type == REG_DWORD && data.size() == 4) {
                uint32_t value = 0;
                memcpy(&value, data.data(), 4);
                out += name + "=" + std::to_string(value) + ";";
                continue;
            }
            for (size_t at = data.find('\0'); at != std::string::npos; at = data.find('\0', at)) {
                data.replace(at, 1, "\\0");
            }
            out += name + "='" + data + "';";
        }
        return out;
    }
    static std::string Sub(const std::string& sub) {
        return sub.empty() ? kProductPath : kProductPath + "\\" + sub;
    }
    // Lets the unprivileged user write the registry hives.
    void OpenRegistryToAll() const {
        const std::string dir = m_prefix.Path("registry");
        chmod(dir.c_str(), 0777);
        for (const char* f : {"machine.db", "machine.db-wal", "machine.db-shm", "user.db",
                              "user.db-wal", "user.db-shm"}) {
            chmod((dir + "/" + f).c_str(), 0666);
        }
    }

    CTempPrefix m_prefix;
};

}  // namespace tq::test
