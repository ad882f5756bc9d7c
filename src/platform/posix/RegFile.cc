#include "platform/posix/RegFile.h"
#include "platform/HexDigit.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/Cp932.h"
#include "platform/Win32Error.h"

namespace tq {
namespace {

const char kHeader4[] = "REGEDIT4";
const char kHeader5[] = "Windows Registry Editor Version 5.00";
// Long hex lists are broken so that no line, its closing "\" included, is wider than this.
constexpr size_t kLineWidth = 80;
// The deepest key a .reg file holds, counted in levels below the hive's root (as Windows limits
// the registry tree). The export walks the tree recursively, and a file of one long key path
// could otherwise make a tree deep enough to exhaust its stack.
constexpr size_t kMaxKeyDepth = 512;

// Levels of a key below its hive's root (HKEY_CLASSES_ROOT is two levels down).
size_t KeyDepth(HKEY root, std::string_view subKey) {
    size_t nDepth = root == HKEY_CLASSES_ROOT ? 2 : 0;
    for (size_t pos = 0; pos < subKey.size();) {
        size_t end = std::min(FindChar(subKey, '\\', pos), subKey.size());
        nDepth += end > pos;
        pos = end + 1;
    }
    return nDepth;
}

bool IsStringType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A hex number of 1 to 8 digits that makes up the whole of text.
bool ParseHex32(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 8) {
        return false;
    }
    value = 0;
    for (char c : text) {
        int d = HexDigitValue(c);
        if (d < 0) {
            return false;
        }
        value = value << 4 | static_cast<uint32_t>(d);
    }
    return true;
}

std::string ToUtf16Bytes(const std::u16string& text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::u16string FromUtf16Bytes(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                      static_cast<uint8_t>(bytes[i + 1]) << 8);
    }
    return text;
}

// Reads one .reg file into the registry, line by line, inside one batch.
class CRegImporter {
public:
    CRegImporter(const std::string& strName, CRegFileError& error) : m_error(error) {
        m_error = CRegFileError{strName, 0, ""};
    }
    int32_t Import(std::string_view bytes);

private:
    int32_t Fail(int32_t err, const std::string& strMessage) {
        m_error.m_nLine = m_nLine;
        m_error.m_strMessage = strMessage;
        return err;
    }
    int32_t FailRegistry(int32_t err, const std::string& strWhat) {
        return Fail(err, strWhat + ": error " + std::to_string(err));
    }
    int32_t SplitLines(std::string_view bytes);
    int32_t ImportLine(std::string_view line);
    int32_t ImportKey(std::string_view line);
    int32_t ImportValue(std::string_view line);
    int32_t ParseQuoted(std::string_view line, size_t& pos, std::string& out);
    int32_t ParseData(std::string_view strText, uint32_t& type, std::string& data);
    int32_t ParseHexList(std::string_view list, std::string& data);

    CRegFileError& m_error;
    std::vector<std::string> m_lines;  // code page 932
    bool m_bUnicode = false;
    uint32_t m_nLine = 0;  // 1-based number of the line being read
    size_t m_nextLine = 0;
    CRegKey m_key;
};

int32_t CRegImporter::SplitLines(std::string_view bytes) {
    m_bUnicode = bytes.size() >= 2 && static_cast<uint8_t>(bytes[0]) == 0xFF &&
                 static_cast<uint8_t>(bytes[1]) == 0xFE;
    if (m_bUnicode && bytes.size() % 2 != 0) {
        return Fail(ERROR_INVALID_DATA, "UTF-16 file with an odd number of bytes");
    }
    std::u16string wide = m_bUnicode ? FromUtf16Bytes(bytes.substr(2)) : std::u16string();
    const size_t size = m_bUnicode ? wide.size() : bytes.size();
    size_t start = 0;
    do {
        m_nLine = static_cast<uint32_t>(m_lines.size() + 1);
        size_t end = start;
        while (end < size && (m_bUnicode ? wide[end] : bytes[end]) != '\n') {
            ++end;
        }
        std::string line;
        if (!m_bUnicode) {
            line.assign(bytes.substr(start, end - start));
        } else if (Utf16ToCp932(std::u16string_view(wide).substr(start, end - start), line) !=
                   ERROR_SUCCESS) {
            return Fail(ERROR_INVALID_DATA, "text without a code page 932 form");
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        m_lines.push_back(std::move(line));
        start = end + 1;
    } while (start <= size);
    return ERROR_SUCCESS;
}

int32_t CRegImporter::Import(std::string_view bytes) {
    int32_t err = SplitLines(bytes);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    m_nLine = 1;
    std::string_view header = TrimWhite(m_lines.empty() ? std::string_view() : m_lines[0]);
    if (header != kHeader4 && header != kHeader5) {
        return Fail(ERROR_INVALID_DATA,
                    std::string("not a registry file: the first line must be ") + kHeader4 +
                        " or " + kHeader5);
    }
    CRegistryBatch batch;
    for (m_nextLine = 1; m_nextLine < m_lines.size();) {
        m_nLine = static_cast<uint32_t>(m_nextLine + 1);
        const std::string& line = m_lines[m_nextLine++];
        err = ImportLine(TrimLeftWhite(line));
        if (err != ERROR_SUCCESS) {
            return err;
        }
    }
    m_key.Close();
    err = batch.Commit();
    return err == ERROR_SUCCESS ? err : FailRegistry(err, "cannot store the changes");
}

int32_t CRegImporter::ImportLine(std::string_view line) {
    if (TrimRightWhite(line).empty() || line[0] == ';') {
        return ERROR_SUCCESS;
    }
    if (line[0] == '[') {
        return ImportKey(TrimRightWhite(line));
    }
    if (line[0] == '"' || line[0] == '@') {
        return ImportValue(line);
    }
    return Fail(ERROR_INVALID_DATA, "expected [KEY], \"NAME\"=VALUE, @=VALUE or a ; comment");
}

int32_t CRegImporter::ImportKey(std::string_view line) {
    if (FindLastChar(line, ']') != line.size() - 1) {
        return Fail(ERROR_INVALID_DATA, "a key line must end with ]");
    }
    std::string_view path = line.substr(1, line.size() - 2);
    bool bDelete = !path.empty() && path[0] == '-';
    if (bDelete) {
        path.remove_prefix(1);
    }
    HKEY root;
    std::string strSubKey;
    if (!ParseRootKey(std::string(path), root, strSubKey)) {
        return Fail(ERROR_INVALID_DATA, "unknown root key in [" + Cp932ToUtf8Lossy(path) + "]");
    }
    if (KeyDepth(root, strSubKey) > kMaxKeyDepth) {
        return Fail(ERROR_INVALID_DATA,
                    "a key path may have at most " + std::to_string(kMaxKeyDepth) + " levels");
    }
    m_key.Close();
    if (bDelete) {
        int32_t err = RegDeleteTree(root, strSubKey);
        return err == ERROR_SUCCESS || err == ERROR_FILE_NOT_FOUND
                   ? ERROR_SUCCESS
                   : FailRegistry(err, "cannot delete key " + Cp932ToUtf8Lossy(path));
    }
    int32_t err = m_key.Create(root, strSubKey, KEY_ALL_ACCESS);
    return err == ERROR_SUCCESS ? err
                                : FailRegistry(err, "cannot create key " + Cp932ToUtf8Lossy(path));
}

int32_t CRegImporter::ParseQuoted(std::string_view line, size_t& pos, std::string& out) {
    ++pos;  // the opening quote
    while (pos < line.size()) {
        size_t len = CharLength(line, pos);
        char c = line[pos];
        if (len == 2) {
            out.append(line.substr(pos, 2));  // whole, even when its second byte is "\"
        } else if (c == '"') {
            ++pos;
            return ERROR_SUCCESS;
        } else if (c == '\\') {
            if (pos + 1 >= line.size() || (line[pos + 1] != '\\' && line[pos + 1] != '"')) {
                return Fail(ERROR_INVALID_DATA,
                            "unknown escape in a quoted text (only \\\\ "
                            "and \\\" are known)");
            }
            out += line[++pos];
        } else {
            out += c;
        }
        pos += len;
    }
    return Fail(ERROR_INVALID_DATA, "missing closing quote");
}

int32_t CRegImporter::ImportValue(std::string_view line) {
    std::string strName;
    size_t pos = 1;
    if (line[0] == '"') {
        pos = 0;
        if (int32_t err = ParseQuoted(line, pos, strName); err != ERROR_SUCCESS) {
            return err;
        }
    }
    std::string_view rest = TrimLeftWhite(line.substr(pos));
    if (rest.empty() || rest[0] != '=') {
        return Fail(ERROR_INVALID_DATA, "expected = after the value name");
    }
    std::string strText(TrimWhite(rest.substr(1)));
    // A hex list may go on over the following lines, each ending in "\" but the last.
    if (StartsWithNoCase(strText, "hex")) {
        while (!strText.empty() && strText.back() == '\\') {
            strText.pop_back();
            if (m_nextLine >= m_lines.size() || TrimWhite(m_lines[m_nextLine]).empty()) {
                return Fail(ERROR_INVALID_DATA, "a continued hex list has no next line");
            }
            strText += TrimWhite(m_lines[m_nextLine++]);
        }
    }
    if (!m_key.IsOpen()) {
        return Fail(ERROR_INVALID_DATA, "a value outside a [KEY] section");
    }
    const std::string strWhat = "value \"" + Cp932ToUtf8Lossy(strName) + "\"";
    if (strText == "-") {
        int32_t err = m_key.DeleteValue(strName);
        return err == ERROR_SUCCESS || err == ERROR_FILE_NOT_FOUND
                   ? ERROR_SUCCESS
                   : FailRegistry(err, "cannot delete " + strWhat);
    }
    uint32_t type = REG_NONE;
    std::string data;
    if (int32_t err = ParseData(strText, type, data); err != ERROR_SUCCESS) {
        return err;
    }
    int32_t err = m_key.SetValue(strName, type, data.data(), static_cast<uint32_t>(data.size()));
    return err == ERROR_SUCCESS ? err : FailRegistry(err, "cannot set " + strWhat);
}

int32_t CRegImporter::ParseData(std::string_view strText, uint32_t& type, std::string& data) {
    if (!strText.empty() && strText[0] == '"') {
        size_t pos = 0;
        if (int32_t err = ParseQuoted(strText, pos, data); err != ERROR_SUCCESS) {
            return err;
        }
        if (pos != strText.size()) {
            return Fail(ERROR_INVALID_DATA, "text after the closing quote");
        }
        type = REG_SZ;
        data += '\0';
        return ERROR_SUCCESS;
    }
    if (StartsWithNoCase(strText, "dword:")) {
        uint32_t v = 0;
        if (!ParseHex32(strText.substr(6), v)) {
            return Fail(ERROR_INVALID_DATA, "dword: needs 1 to 8 hex digits");
        }
        type = REG_DWORD;
        data = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                static_cast<char>(v >> 24)};
        return ERROR_SUCCESS;
    }
    std::string_view list;
    if (StartsWithNoCase(strText, "hex:")) {
        type = REG_BINARY;
        list = strText.substr(4);
    } else if (StartsWithNoCase(strText, "hex(")) {
        size_t close = strText.find("):");
        if (close == std::string_view::npos || !ParseHex32(strText.substr(4, close - 4), type)) {
            return Fail(ERROR_INVALID_DATA, "hex(N): needs a type number of 1 to 8 hex digits");
        }
        list = strText.substr(close + 2);
    } else {
        return Fail(ERROR_INVALID_DATA,
                    "unknown value: expected \"text\", dword:, hex:, hex(N): or -");
    }
    if (int32_t err = ParseHexList(list, data); err != ERROR_SUCCESS) {
        return err;
    }
    if (m_bUnicode && IsStringType(type)) {
        std::string text;
        if (data.size() % 2 != 0 || Utf16ToCp932(FromUtf16Bytes(data), text) != ERROR_SUCCESS) {
            return Fail(ERROR_INVALID_DATA, "text data without a code page 932 form");
        }
        data = std::move(text);
    }
    return ERROR_SUCCESS;
}

int32_t CRegImporter::ParseHexList(std::string_view list, std::string& data) {
    list = TrimWhite(list);
    while (!list.empty()) {
        size_t comma = list.find(',');
        std::string_view item = TrimWhite(list.substr(0, comma));
        uint32_t byte = 0;
        if (item.size() > 2 || !ParseHex32(item, byte)) {
            return Fail(ERROR_INVALID_DATA,
                        "bad byte \"" + std::string(item) + "\" in a hex list (expected 00 to ff)");
        }
        data += static_cast<char>(byte);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
        if (comma != std::string_view::npos && TrimWhite(list).empty()) {
            break;  // a trailing comma, as regedit leaves before a continuation
        }
    }
    return ERROR_SUCCESS;
}

// Writes keys as .reg text in code page 932; the UTF-16 form is converted at the end.
class CRegExporter {
public:
    CRegExporter(bool bUnicode, CRegFileError& error) : m_bUnicode(bUnicode), m_error(error) {}
    int32_t Export(HKEY root, const std::string& strSubKey, std::string& out);

private:
    int32_t Fail(int32_t err, const std::string& strMessage) {
        m_error.m_strMessage = strMessage;
        return err;
    }
    int32_t ReadFail(int32_t err, const std::string& strPath);
    int32_t ExportKey(const CRegKey& key, const std::string& strPath, size_t nLevels);
    int32_t ExportValue(const std::string& strPath, const std::string& strName, uint32_t type,
                        std::string data);
    bool IsPlainString(uint32_t type, std::string_view data) const;
    void AppendQuoted(std::string_view text);
    void AppendHexList(std::string_view data, size_t column);

    bool m_bUnicode;
    CRegFileError& m_error;
    std::string m_text;
};

int32_t CRegExporter::Export(HKEY root, const std::string& strSubKey, std::string& out) {
    std::string_view sub = strSubKey;
    while (!sub.empty() && FindLastChar(sub, '\\') == sub.size() - 1) {
        sub.remove_suffix(1);
    }
    std::string strPath = RootKeyName(root);
    if (!sub.empty()) {
        strPath += "\\" + std::string(sub);
    }
    CRegKey key;
    int32_t err = key.Open(root, std::string(sub), KEY_READ);
    if (err != ERROR_SUCCESS) {
        return Fail(
            err, "cannot open key " + Cp932ToUtf8Lossy(strPath) + ": error " + std::to_string(err));
    }
    m_text = std::string(m_bUnicode ? kHeader5 : kHeader4) + "\r\n\r\n";
    err = ExportKey(key, strPath, 0);
    if (err != ERROR_SUCCESS) {
        return err;
    }
    if (!m_bUnicode) {
        out = std::move(m_text);
        return ERROR_SUCCESS;
    }
    std::u16string wide;
    if (Cp932ToUtf16(m_text, wide) != ERROR_SUCCESS) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION, "a key or value name has no UTF-16 form");
    }
    out = "\xFF\xFE" + ToUtf16Bytes(wide);
    return ERROR_SUCCESS;
}

int32_t CRegExporter::ReadFail(int32_t err, const std::string& strPath) {
    return Fail(err,
                "cannot read key " + Cp932ToUtf8Lossy(strPath) + ": error " + std::to_string(err));
}

// nLevels: how far below the exported key this one lies.
int32_t CRegExporter::ExportKey(const CRegKey& key, const std::string& strPath, size_t nLevels) {
    if (nLevels > kMaxKeyDepth) {
        return Fail(ERROR_INVALID_DATA, "key " + Cp932ToUtf8Lossy(strPath) + " lies more than " +
                                            std::to_string(kMaxKeyDepth) +
                                            " levels deep, more than a .reg file holds");
    }
    m_text += "[" + strPath + "]\r\n";
    std::string strName, data;
    uint32_t type = 0;
    int32_t err;
    for (uint32_t i = 0; (err = key.EnumValue(i, strName, type, data)) == ERROR_SUCCESS; ++i) {
        if (int32_t e = ExportValue(strPath, strName, type, data); e != ERROR_SUCCESS) {
            return e;
        }
    }
    if (err != ERROR_NO_MORE_ITEMS) {
        return ReadFail(err, strPath);
    }
    m_text += "\r\n";
    for (uint32_t i = 0; (err = key.EnumKey(i, strName)) == ERROR_SUCCESS; ++i) {
        CRegKey child;
        const std::string strChild = strPath + "\\" + strName;
        if (int32_t e = child.Open(key, strName, KEY_READ); e != ERROR_SUCCESS) {
            return ReadFail(e, strChild);
        }
        if (int32_t e = ExportKey(child, strChild, nLevels + 1); e != ERROR_SUCCESS) {
            return e;
        }
    }
    return err == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : ReadFail(err, strPath);
}

// Text that regedit writes as "text": one terminating NUL, no other NUL, no line breaks, and
// characters that the file's encoding can hold.
bool CRegExporter::IsPlainString(uint32_t type, std::string_view data) const {
    if (type != REG_SZ || data.empty() || data.back() != '\0') {
        return false;
    }
    std::string_view text = data.substr(0, data.size() - 1);
    if (text.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos ||
        !IsWellFormedCp932(text)) {
        return false;
    }
    std::u16string wide;
    return !m_bUnicode || Cp932ToUtf16(text, wide) == ERROR_SUCCESS;
}

void CRegExporter::AppendQuoted(std::string_view text) {
    m_text += '"';
    for (size_t pos = 0; pos < text.size();) {
        size_t len = CharLength(text, pos);
        if (len == 1 && (text[pos] == '\\' || text[pos] == '"')) {
            m_text += '\\';
        }
        m_text.append(text.substr(pos, len));
        pos += len;
    }
    m_text += '"';
}

void CRegExporter::AppendHexList(std::string_view data, size_t column) {
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < data.size(); ++i) {
        uint8_t b = static_cast<uint8_t>(data[i]);
        m_text += kDigits[b >> 4];
        m_text += kDigits[b & 15];
        column += 2;
        if (i + 1 < data.size()) {
            m_text += ',';
            ++column;
            if (column + 4 > kLineWidth) {  // room for one more "xx," and the "\"
                m_text += "\\\r\n  ";
                column = 2;
            }
        }
    }
}

int32_t CRegExporter::ExportValue(const std::string& strPath, const std::string& strName,
                                  uint32_t type, std::string data) {
    size_t lineStart = m_text.size();
    if (strName.empty()) {
        m_text += '@';
    } else {
        AppendQuoted(strName);
    }
    m_text += '=';
    if (IsPlainString(type, data)) {
        AppendQuoted(std::string_view(data).substr(0, data.size() - 1));
    } else if (type == REG_DWORD && data.size() == 4) {
        const auto* p = reinterpret_cast<const uint8_t*>(data.data());
        char buf[16];
        std::snprintf(buf, sizeof(buf), "dword:%08x",
                      p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
        m_text += buf;
    } else {
        if (m_bUnicode && IsStringType(type)) {
            std::u16string wide;
            if (Cp932ToUtf16(data, wide) != ERROR_SUCCESS) {
                return Fail(ERROR_NO_UNICODE_TRANSLATION,
                            "value \"" + Cp932ToUtf8Lossy(strName) + "\" of " +
                                Cp932ToUtf8Lossy(strPath) +
                                " has no UTF-16 form; export it as REGEDIT4");
            }
            data = ToUtf16Bytes(wide);
        }
        char buf[24];
        std::snprintf(buf, sizeof(buf), type == REG_BINARY ? "hex:" : "hex(%x):", type);
        m_text += buf;
        AppendHexList(data, m_text.size() - lineStart);
    }
    m_text += "\r\n";
    return ERROR_SUCCESS;
}

}  // namespace

std::string CRegFileError::Format() const {
    std::string s = m_strFile;
    if (m_nLine > 0) {
        s += ':';
        s += std::to_string(m_nLine);
    }
    s += ": ";
    s += m_strMessage;
    return s;
}

int32_t ImportRegText(std::string_view bytes, const std::string& strName, CRegFileError& error) {
    CRegImporter importer(strName, error);
    return importer.Import(bytes);
}

int32_t ImportRegFile(const std::string& strLinuxPath, CRegFileError& error) {
    error = CRegFileError{strLinuxPath, 0, ""};
    std::error_code ec;
    auto status = std::filesystem::status(strLinuxPath, ec);
    if (!std::filesystem::exists(status)) {
        error.m_strMessage = "no such file";
        return ERROR_FILE_NOT_FOUND;
    }
    std::ifstream in(strLinuxPath, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (!std::filesystem::is_regular_file(status) || !in || in.bad()) {
        error.m_strMessage = "cannot read the file";
        return ERROR_ACCESS_DENIED;
    }
    return ImportRegText(ss.str(), strLinuxPath, error);
}

int32_t ExportRegText(HKEY root, const std::string& strSubKey, bool bUnicode, std::string& out,
                      CRegFileError& error) {
    error = CRegFileError{};
    CRegExporter exporter(bUnicode, error);
    return exporter.Export(root, strSubKey, out);
}

int32_t ExportRegFile(HKEY root, const std::string& strSubKey, bool bUnicode,
                      const std::string& strLinuxPath, CRegFileError& error) {
    std::string text;
    int32_t err = ExportRegText(root, strSubKey, bUnicode, text, error);
    error.m_strFile = strLinuxPath;
    if (err != ERROR_SUCCESS) {
        return err;
    }
    // Written beside the target and renamed over it, so a failure leaves the old file alone.
    const std::string strTemp = strLinuxPath + ".NEW";
    {
        std::ofstream out(strTemp, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(strTemp, ec);
            error.m_strMessage = "cannot write the file";
            return ERROR_CANTWRITE;
        }
    }
    std::error_code ec;
    std::filesystem::rename(strTemp, strLinuxPath, ec);
    if (ec) {
        std::filesystem::remove(strTemp, ec);
        error.m_strMessage = "cannot write the file";
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

}  // namespace tq
