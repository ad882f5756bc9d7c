// tqreg: reads and changes the registry of a prefix from the shell.
// Terminal text is UTF-8; key names, value names and text data are converted to and from code
// page 932, the form the registry holds. Exit status: 0 done, 1 failed, 2 bad command line.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"
#include "platform/posix/Prefix.h"
#include "platform/posix/RegFile.h"

namespace tq {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: tqreg [--prefix DIR] COMMAND ...\n"
    "\n"
    "  import FILE.reg                 import a REGEDIT4 or Windows Registry Editor 5.00 file\n"
    "                                  (all of it, or nothing when a line is wrong)\n"
    "  export KEY [FILE] [--unicode]   write KEY and everything below it as a .reg file\n"
    "                                  (REGEDIT4 unless --unicode; standard output without FILE)\n"
    "  query KEY [VALUE]               show the values and subkeys of KEY, or one value\n"
    "  set KEY VALUE TYPE DATA         set a value (\"\" is the default value); TYPE is REG_SZ,\n"
    "                                  REG_EXPAND_SZ, REG_DWORD (decimal or 0x...), REG_BINARY\n"
    "                                  (hex bytes) or REG_MULTI_SZ (strings separated by \\0)\n"
    "  delete KEY [VALUE]              delete KEY with everything below it, or one value\n"
    "\n"
    "KEY begins with HKEY_LOCAL_MACHINE (HKLM), HKEY_CURRENT_USER (HKCU), HKEY_CLASSES_ROOT\n"
    "(HKCR) or HKEY_USERS (HKU). The prefix is DIR, else $TQ_PREFIX, else the default one.\n";

struct CTypeName {
    uint32_t m_dwType;
    const char* m_pszName;
};
constexpr CTypeName kTypeNames[] = {
    {REG_NONE, "REG_NONE"},     {REG_SZ, "REG_SZ"},       {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {REG_BINARY, "REG_BINARY"}, {REG_DWORD, "REG_DWORD"}, {REG_MULTI_SZ, "REG_MULTI_SZ"},
};

std::string TypeName(uint32_t type) {
    for (const auto& t : kTypeNames) {
        if (t.m_dwType == type) {
            return t.m_pszName;
        }
    }
    char buf[16];
    std::snprintf(buf, sizeof(buf), "0x%x", type);
    return buf;
}

std::string ErrorText(int32_t err) {
    struct CText {
        int32_t m_lCode;
        const char* m_pszText;
    };
    static const CText kTexts[] = {
        {ERROR_FILE_NOT_FOUND, "not found"},
        {ERROR_ACCESS_DENIED, "access denied"},
        {ERROR_INVALID_PARAMETER, "invalid name"},
        {ERROR_BAD_PATHNAME, "invalid key path"},
        {ERROR_BADDB, "the registry hive is damaged or not a hive"},
        {ERROR_CANTOPEN, "the registry hive cannot be opened"},
        {ERROR_KEY_DELETED, "the key was deleted"},
        {ERROR_SHARING_VIOLATION, "the registry is busy"},
        {ERROR_DISK_FULL, "the disk is full"},
    };
    std::string text = "error " + std::to_string(err);
    for (const auto& t : kTexts) {
        if (t.m_lCode == err) {
            return t.m_pszText + (" (" + text + ")");
        }
    }
    return text;
}

// How the terminal shows a value's data.
std::string FormatData(uint32_t type, const std::string& data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        return Cp932ToUtf8Lossy(data.substr(0, data.find('\0')));
    }
    if (type == REG_MULTI_SZ) {
        std::string out;
        size_t pos = 0;
        while (pos < data.size() && data[pos] != '\0') {
            size_t end = data.find('\0', pos);
            end = end == std::string::npos ? data.size() : end;
            out += (out.empty() ? "" : "\\0") + Cp932ToUtf8Lossy(data.substr(pos, end - pos));
            pos = end + 1;
        }
        return out;
    }
    if (type == REG_DWORD && data.size() == 4) {
        const auto* p = reinterpret_cast<const uint8_t*>(data.data());
        char buf[16];
        std::snprintf(buf, sizeof(buf), "0x%x",
                      p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
        return buf;
    }
    std::string out;
    static const char kDigits[] = "0123456789ABCDEF";
    for (unsigned char c : data) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

class CTqreg {
public:
    int Run(std::vector<std::string> args);

private:
    int Usage(const std::string& strMessage);
    int Fail(const std::string& strWhat, const std::string& strMessage);
    bool ToCp932(const std::string& strUtf8, std::string& out, int& exitCode);
    int ParseKey(const std::string& strArg, HKEY& root, std::string& strSubKey);
    int ParseData(uint32_t type, const std::string& strArg, std::string& data);
    int Import(const std::vector<std::string>& args);
    int Export(const std::vector<std::string>& args);
    int Query(const std::vector<std::string>& args);
    int Set(const std::vector<std::string>& args);
    int Delete(const std::vector<std::string>& args);
    void PrintValue(const std::string& strName, uint32_t type, const std::string& data);
};

int CTqreg::Usage(const std::string& strMessage) {
    std::cerr << "tqreg: " << strMessage << "\nTry 'tqreg --help'.\n";
    return kExitUsage;
}

int CTqreg::Fail(const std::string& strWhat, const std::string& strMessage) {
    std::cerr << "tqreg: " << strWhat << ": " << strMessage << "\n";
    return kExitFailed;
}

bool CTqreg::ToCp932(const std::string& strUtf8, std::string& out, int& exitCode) {
    if (Utf8ToCp932(strUtf8, out) == ERROR_SUCCESS) {
        return true;
    }
    exitCode = Fail(strUtf8, "has no code page 932 form");
    return false;
}

int CTqreg::ParseKey(const std::string& strArg, HKEY& root, std::string& strSubKey) {
    std::string path;
    int exitCode = kExitOk;
    if (!ToCp932(strArg, path, exitCode)) {
        return exitCode;
    }
    if (!ParseRootKey(path, root, strSubKey)) {
        return Usage(strArg +
                     ": a key begins with HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, "
                     "HKEY_CLASSES_ROOT or HKEY_USERS");
    }
    return kExitOk;
}

int CTqreg::ParseData(uint32_t type, const std::string& strArg, std::string& data) {
    int exitCode = kExitOk;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        if (!ToCp932(strArg, data, exitCode)) {
            return exitCode;
        }
        data += '\0';
        return kExitOk;
    }
    if (type == REG_MULTI_SZ) {
        size_t pos = 0;
        while (pos < strArg.size()) {
            size_t end = strArg.find("\\0", pos);
            end = end == std::string::npos ? strArg.size() : end;
            std::string item;
            if (!ToCp932(strArg.substr(pos, end - pos), item, exitCode)) {
                return exitCode;
            }
            data += item + '\0';
            pos = end + 2;
        }
        data += '\0';
        return kExitOk;
    }
    if (type == REG_DWORD) {
        char* end = nullptr;
        errno = 0;
        unsigned long long v = std::strtoull(strArg.c_str(), &end, 0);
        if (strArg.empty() || strArg[0] == '-' || *end != '\0' || errno != 0 || v > 0xFFFFFFFFull) {
            return Usage(strArg + ": REG_DWORD data is a number from 0 to 4294967295");
        }
        data = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                static_cast<char>(v >> 24)};
        return kExitOk;
    }
    std::string digits;
    for (char c : strArg) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
        } else if (c != ',' && c != ' ') {
            digits = "x";  // not hex: reported below
            break;
        }
    }
    if (digits.size() % 2 != 0) {
        return Usage(strArg + ": REG_BINARY data is pairs of hex digits, like 0a1b2c or 0a,1b,2c");
    }
    for (size_t i = 0; i < digits.size(); i += 2) {
        data += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    }
    return kExitOk;
}

int CTqreg::Import(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return Usage("import takes one FILE.reg");
    }
    CRegFileError error;
    if (ImportRegFile(args[0], error) != ERROR_SUCCESS) {
        std::cerr << "tqreg: " << error.Format() << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int CTqreg::Export(const std::vector<std::string>& args) {
    std::vector<std::string> rest;
    bool bUnicode = false;
    for (const auto& a : args) {
        if (a == "--unicode") {
            bUnicode = true;
        } else {
            rest.push_back(a);
        }
    }
    if (rest.empty() || rest.size() > 2) {
        return Usage("export takes KEY [FILE] [--unicode]");
    }
    HKEY root;
    std::string strSubKey;
    if (int code = ParseKey(rest[0], root, strSubKey); code != kExitOk) {
        return code;
    }
    CRegFileError error;
    if (rest.size() == 2) {
        return ExportRegFile(root, strSubKey, bUnicode, rest[1], error) == ERROR_SUCCESS
                   ? kExitOk
                   : Fail(rest[1], error.m_strMessage);
    }
    std::string text;
    if (ExportRegText(root, strSubKey, bUnicode, text, error) != ERROR_SUCCESS) {
        return Fail(rest[0], error.m_strMessage);
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitOk : Fail(rest[0], "cannot write standard output");
}

void CTqreg::PrintValue(const std::string& strName, uint32_t type, const std::string& data) {
    std::cout << "    " << (strName.empty() ? "(Default)" : Cp932ToUtf8Lossy(strName)) << "    "
              << TypeName(type) << "    " << FormatData(type, data) << "\n";
}

int CTqreg::Query(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) {
        return Usage("query takes KEY [VALUE]");
    }
    HKEY root;
    std::string strSubKey, strValue;
    int code = ParseKey(args[0], root, strSubKey);
    if (code != kExitOk || (args.size() == 2 && !ToCp932(args[1], strValue, code))) {
        return code;
    }
    CRegKey key;
    if (int32_t err = key.Open(root, strSubKey, KEY_READ); err != ERROR_SUCCESS) {
        return Fail(args[0], ErrorText(err));
    }
    uint32_t type = 0;
    std::string data;
    std::cout << args[0] << "\n";
    if (args.size() == 2) {
        if (int32_t err = key.QueryValue(strValue, type, data); err != ERROR_SUCCESS) {
            return Fail(args[0] + " " + args[1], ErrorText(err));
        }
        PrintValue(strValue, type, data);
        return kExitOk;
    }
    std::string strName;
    int32_t err;
    for (uint32_t i = 0; (err = key.EnumValue(i, strName, type, data)) == ERROR_SUCCESS; ++i) {
        PrintValue(strName, type, data);
    }
    if (err != ERROR_NO_MORE_ITEMS) {
        return Fail(args[0], ErrorText(err));
    }
    std::string strBase = args[0];
    while (!strBase.empty() && strBase.back() == '\\') {
        strBase.pop_back();
    }
    for (uint32_t i = 0; (err = key.EnumKey(i, strName)) == ERROR_SUCCESS; ++i) {
        std::cout << (i == 0 ? "\n" : "") << strBase << "\\" << Cp932ToUtf8Lossy(strName) << "\n";
    }
    return err == ERROR_NO_MORE_ITEMS ? kExitOk : Fail(args[0], ErrorText(err));
}

int CTqreg::Set(const std::vector<std::string>& args) {
    if (args.size() != 4) {
        return Usage("set takes KEY VALUE TYPE DATA");
    }
    HKEY root;
    std::string strSubKey, strValue, data;
    int code = ParseKey(args[0], root, strSubKey);
    if (code != kExitOk || !ToCp932(args[1], strValue, code)) {
        return code;
    }
    const CTypeName* pType = nullptr;
    for (const auto& t : kTypeNames) {
        if (args[2] == t.m_pszName && t.m_dwType != REG_NONE) {
            pType = &t;
        }
    }
    if (!pType) {
        return Usage(args[2] +
                     ": TYPE is REG_SZ, REG_EXPAND_SZ, REG_DWORD, REG_BINARY or "
                     "REG_MULTI_SZ");
    }
    if (code = ParseData(pType->m_dwType, args[3], data); code != kExitOk) {
        return code;
    }
    CRegKey key;
    int32_t err = key.Create(root, strSubKey, KEY_ALL_ACCESS);
    if (err == ERROR_SUCCESS) {
        err = key.SetValue(strValue, pType->m_dwType, data.data(),
                           static_cast<uint32_t>(data.size()));
    }
    return err == ERROR_SUCCESS ? kExitOk : Fail(args[0], ErrorText(err));
}

int CTqreg::Delete(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) {
        return Usage("delete takes KEY [VALUE]");
    }
    HKEY root;
    std::string strSubKey, strValue;
    int code = ParseKey(args[0], root, strSubKey);
    if (code != kExitOk || (args.size() == 2 && !ToCp932(args[1], strValue, code))) {
        return code;
    }
    if (args.size() == 1) {
        int32_t err = RegDeleteTree(root, strSubKey);
        return err == ERROR_SUCCESS ? kExitOk : Fail(args[0], ErrorText(err));
    }
    CRegKey key;
    int32_t err = key.Open(root, strSubKey, KEY_SET_VALUE);
    if (err == ERROR_SUCCESS) {
        err = key.DeleteValue(strValue);
    }
    return err == ERROR_SUCCESS ? kExitOk : Fail(args[0] + " " + args[1], ErrorText(err));
}

int CTqreg::Run(std::vector<std::string> args) {
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return kExitOk;
        }
    }
    std::string strPrefix;
    if (!args.empty() && args[0] == "--prefix") {
        if (args.size() < 2) {
            return Usage("--prefix needs a folder");
        }
        strPrefix = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        return Usage("no command given");
    }
    const std::string strCommand = args[0];
    args.erase(args.begin());
    static const char* const kCommands[] = {"import", "export", "query", "set", "delete"};
    if (std::find(std::begin(kCommands), std::end(kCommands), strCommand) == std::end(kCommands)) {
        return Usage("unknown command " + strCommand);
    }
    int32_t err = strPrefix.empty() ? CPrefix::Current().GetInitError() : CPrefix::Use(strPrefix);
    if (err != ERROR_SUCCESS) {
        return Fail(strPrefix.empty() ? CPrefix::Current().GetDir() : strPrefix,
                    "cannot use the prefix: " + ErrorText(err));
    }
    if (strCommand == "import") {
        return Import(args);
    }
    if (strCommand == "export") {
        return Export(args);
    }
    if (strCommand == "query") {
        return Query(args);
    }
    if (strCommand == "set") {
        return Set(args);
    }
    return Delete(args);
}

}  // namespace
}  // namespace tq

int main(int argc, char** argv) {
    try {
        tq::CTqreg tool;
        return tool.Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "tqreg: " << e.what() << "\n";
        return 1;
    }
}
