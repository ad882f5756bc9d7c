#include "controlfile/CtrlReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "controlfile/CtrlDate.h"
#include "controlfile/CtrlLogFile.h"
#include "controlfile/Keywords.h"
#include "controlfile/NameRules.h"
#include "platform/Cp932.h"
#include "platform/File.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq {

namespace {

constexpr int32_t kMaxGroupId = 65535;
constexpr char kEndOfText = 0x1A;
constexpr uint32_t kReadChunk = 1u << 24;
constexpr size_t kReadBuffer = 1u << 20;

// Most lines are plain ASCII. For them every byte is a character of its own, so searches,
// trimming and end tests need no walk from the start of the line; lines with any byte of 0x80
// or above take the double-byte-aware walks of the code page.
bool IsAscii(std::string_view s) {
    unsigned char acc = 0;
    for (char c : s) {
        acc |= static_cast<unsigned char>(c);
    }
    return acc < 0x80;
}

// Whether pos (below the end) falls between two characters, never on the second byte of a
// double-byte one. Found looking back: a byte outside the lead-byte range always ends a
// character, and the lead-range bytes after it pair up, so pos is a boundary when an even
// number of them stand right before it. No walk from the start of a long line is needed.
bool IsCharBoundary(std::string_view s, size_t pos, bool bAscii) {
    if (bAscii) {
        return true;
    }
    size_t nLeadRange = 0;
    while (nLeadRange < pos && IsLeadByte(static_cast<uint8_t>(s[pos - 1 - nLeadRange]))) {
        ++nLeadRange;
    }
    return nLeadRange % 2 == 0;
}

// s ends with the ASCII text suffix as whole characters.
bool EndsWithChars(std::string_view s, std::string_view suffix, bool bAscii) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix &&
           IsCharBoundary(s, s.size() - suffix.size(), bAscii);
}

// A lead byte whose second byte is missing: the writer's closing quote would become that
// second byte, and the file written could not be read back.
bool EndsWithBrokenChar(std::string_view s, bool bAscii) {
    return !bAscii && !s.empty() && IsLeadByte(static_cast<uint8_t>(s.back())) &&
           IsCharBoundary(s, s.size() - 1, bAscii);
}

size_t FindCharIn(std::string_view s, char c, bool bAscii) {
    return bAscii ? s.find(c) : FindChar(s, c);
}

std::string_view TrimRightIn(std::string_view s, bool bAscii) {
    if (!bAscii) {
        return TrimRightWhite(s);
    }
    while (!s.empty() && IsWhite(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view TrimIn(std::string_view s, bool bAscii) {
    if (!bAscii) {
        return TrimWhite(s);
    }
    while (!s.empty() && IsWhite(s.front())) {
        s.remove_prefix(1);
    }
    return TrimRightIn(s, true);
}

bool IsSwitchOn(std::string_view value) {
    return IsKeyword(value, KW_YES) || IsKeyword(value, KW_TRUE);
}

bool IsAllDigits(std::string_view s) {
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// Maps a verdict of the database-name rule to its error code.
int32_t NameVerdictToCode(int32_t nVerdict) {
    switch (nVerdict) {
        case DBNAME_HALF_KANA:
            return TQE_DBNAME_HALF_KANA;
        case DBNAME_EMPTY:
            return TQE_DBNAME_EMPTY;
        case DBNAME_RESERVED:
            return TQE_DBNAME_RESERVED;
        case DBNAME_TOO_LONG:
            return TQE_DBNAME_TOO_LONG;
        default:
            return TQE_DBNAME_BAD_CHAR;
    }
}

// An "Org" list (RootOrgPath, ExeOrgPath) or the RegEntry list must not name a slot that its
// key list leaves empty.
bool HasUnmatchedSlot(const CtrlStringList& list, const CtrlStringList& keys) {
    if (list.size() > keys.size()) {
        return true;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].empty() && keys[i].empty()) {
            return true;
        }
    }
    return false;
}

// An empty Doc entry names nothing and is not written back, so it does not count: a database
// whose only entry is empty would load now and fail to load after its next save.
bool HasDocument(const CCtrlDatabase& db) {
    for (const auto& doc : db.m_docs) {
        if (!doc.empty()) {
            return true;
        }
    }
    return false;
}

void PadTo(CtrlStringList& list, size_t n) {
    if (list.size() < n) {
        list.resize(n);
    }
}

}  // namespace

int32_t ParseLeadingNumber(std::string_view text) {
    std::string_view s = TrimLeftWhite(text);
    size_t i = 0;
    bool bNegative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        bNegative = s[i] == '-';
        ++i;
    }
    int64_t n = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = std::min<int64_t>(n * 10 + (s[i] - '0'), std::numeric_limits<int32_t>::max());
    }
    return static_cast<int32_t>(bNegative ? -n : n);
}

int32_t CCtrlReader::Log(uint32_t id, std::initializer_list<std::string_view> args) {
    if (m_pLog == nullptr) {
        return 0;
    }
    // Messages are rare and the log keeps its arguments as owned text.
    std::string strFirst(args.size() > 0 ? *args.begin() : std::string_view());
    std::string strSecond(args.size() > 1 ? *(args.begin() + 1) : std::string_view());
    return m_pLog->Message(id, args.size() > 0 ? &strFirst : nullptr,
                           args.size() > 1 ? &strSecond : nullptr);
}

int32_t CCtrlReader::Fail(uint32_t idGlobal, uint32_t idInSection, std::string_view line,
                          int32_t lResult) {
    if (m_pDb != nullptr && idInSection != 0) {
        Log(idInSection, {m_pDb->m_strName, line});
    } else {
        Log(idGlobal, {line});
    }
    return lResult;
}

int32_t CCtrlReader::Load(CFile& file, const std::string& strPath, std::string* pLoadedPath) {
    m_model.Clear();
    if (pLoadedPath != nullptr) {
        pLoadedPath->clear();
    }
    int32_t lResult = TQ_OK;
    if (!file.IsOpen() && file.Open(strPath, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) != 0) {
        lResult = TQE_BASE_OPEN;
    }
    if (lResult == TQ_OK) {
        lResult = ParseFile(file);
    }
    if (lResult == TQ_OK) {
        if (pLoadedPath != nullptr) {
            *pLoadedPath = strPath;
        }
        lResult = Validate(strPath);
    }
    if (m_pLog != nullptr && !m_model.GetSettings().m_strOutputLog.empty()) {
        m_pLog->Close();
    }
    return lResult;
}

int32_t CCtrlReader::Parse(std::string_view text) {
    BeginParse();
    bool bEnd = false;
    return ParseLines(text, true, bEnd);
}

int32_t CCtrlReader::ParseFile(CFile& file) {
    BeginParse();
    if (file.Seek(0, FILE_BEGIN) != 0) {
        return TQE_BASE_OPEN;
    }
    // The file goes through one buffer a piece at a time: a large file needs no buffer of its
    // size, and a line longer than the buffer makes it grow.
    size_t cbBuffer = kReadBuffer;
    std::unique_ptr<char[]> buffer(new char[cbBuffer]);
    size_t cbUsed = 0;
    for (;;) {
        if (cbUsed == cbBuffer) {
            std::unique_ptr<char[]> bigger(new char[cbBuffer * 2]);
            std::memcpy(bigger.get(), buffer.get(), cbUsed);
            buffer = std::move(bigger);
            cbBuffer *= 2;
        }
        uint32_t cbWant = static_cast<uint32_t>(std::min<size_t>(cbBuffer - cbUsed, kReadChunk));
        uint32_t cbRead = 0;
        if (file.Read(buffer.get() + cbUsed, cbWant, cbRead) != 0) {
            return TQE_BASE_OPEN;
        }
        cbUsed += cbRead;
        std::string_view rest(buffer.get(), cbUsed);
        bool bEnd = false;
        int32_t lResult = ParseLines(rest, cbRead == 0, bEnd);
        if (lResult != TQ_OK) {
            return lResult;
        }
        if (cbRead == 0 || bEnd) {
            return TQ_OK;
        }
        // An empty rest may have no data pointer at all, which memmove must not be given.
        if (!rest.empty()) {
            std::memmove(buffer.get(), rest.data(), rest.size());
        }
        cbUsed = rest.size();
    }
}

void CCtrlReader::BeginParse() {
    m_nSection = -1;
    m_nSeparators = 0;
    m_pDb = nullptr;
}

int32_t CCtrlReader::ParseLines(std::string_view& text, bool bFinal, bool& bEnd) {
    if (text.empty()) {
        return TQ_OK;
    }
    if (const void* pEnd = std::memchr(text.data(), kEndOfText, text.size())) {
        text = text.substr(0, static_cast<const char*>(pEnd) - text.data());
        bFinal = true;
        bEnd = true;
    }
    bool bHasNul = std::memchr(text.data(), '\0', text.size()) != nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        const void* pNl = std::memchr(text.data() + pos, '\n', text.size() - pos);
        if (pNl == nullptr && !bFinal) {
            break;  // the rest of the line comes with the next piece
        }
        size_t end = pNl ? static_cast<const char*>(pNl) - text.data() : text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        // A NUL would cut the line short wherever it is handled as a C string: refuse the
        // line rather than lose what follows it.
        int32_t lResult = bHasNul && line.find('\0') != std::string_view::npos
                              ? Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID)
                              : ParseLine(line);
        if (lResult != TQ_OK) {
            return lResult;
        }
    }
    text = pos < text.size() ? text.substr(pos) : std::string_view();
    return TQ_OK;
}

int32_t CCtrlReader::ParseLine(std::string_view line) {
    if (line.empty() || line[0] == ':') {
        return TQ_OK;
    }
    if (line[0] == '[') {
        return ParseSection(line);
    }
    if (line.substr(0, 3) == Keyword(KW_SEPARATOR)) {
        return ParseSeparator(line);
    }
    std::string_view key;
    std::string_view value;
    int32_t lResult = SplitKeyLine(line, key, value);
    if (lResult != TQ_OK) {
        return lResult;
    }
    return m_nSection < 0 ? ParseGlobalKey(line, key, value) : ParseSectionKey(line, key, value);
}

int32_t CCtrlReader::ParseSection(std::string_view line) {
    ++m_nSection;
    bool bAscii = IsAscii(line);
    line = TrimRightIn(line, bAscii);
    std::string_view name;
    bool bDeselected = false;
    if (line.size() >= 3 && EndsWithChars(line, "]", bAscii)) {
        name = line.substr(1, line.size() - 2);
    } else if (line.size() >= 4 && EndsWithChars(line, "]~", bAscii)) {
        name = line.substr(1, line.size() - 3);
        bDeselected = true;
    } else {
        return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
    }
    // The separators read so far say which type the database is of.
    m_pDb = m_model.AppendDatabase(DBTYPE_FIXED + m_nSeparators);
    m_pDb->m_strName.assign(TrimIn(name, bAscii));
    if (bDeselected) {
        m_pDb->m_dwState |= DBSTATE_WAS_DESELECTED | DBSTATE_DESELECTED;
    }
    return TQ_OK;
}

int32_t CCtrlReader::ParseSeparator(std::string_view line) {
    line = TrimRightWhite(line);
    if (line.size() > 7 && !EndsWithChars(line, Keyword(KW_SEPARATOR), IsAscii(line))) {
        return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
    }
    if (m_nSeparators < 2) {
        ++m_nSeparators;
    }
    return TQ_OK;
}

int32_t CCtrlReader::SplitKeyLine(std::string_view line, std::string_view& key,
                                  std::string_view& value) {
    bool bAscii = IsAscii(line);
    size_t eq = FindCharIn(line, '=', bAscii);
    if (eq == std::string_view::npos || eq == 0) {
        return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
    }
    key = TrimIn(line.substr(0, eq), bAscii);
    value = TrimIn(line.substr(eq + 1), bAscii);
    if (key.empty() || FindCharIn(key, '"', bAscii) != std::string_view::npos || value.empty()) {
        return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
    }
    if (value[0] == '"') {
        if (!EndsWithChars(value, "\"", bAscii)) {
            return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
        }
        value = value.size() < 2 ? std::string_view()
                                 : TrimIn(value.substr(1, value.size() - 2), bAscii);
    }
    if (EndsWithBrokenChar(value, bAscii)) {
        return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
    }
    return TQ_OK;
}

int32_t CCtrlReader::ParseGlobalKey(std::string_view line, std::string_view key,
                                    std::string_view value) {
    if (IsKeyword(key, KW_OUTPUT_LOG)) {
        m_model.GetSettings().m_strOutputLog.assign(value);
        if (m_pLog != nullptr) {
            m_pLog->Start(m_model.GetSettings().m_strOutputLog);
        }
    } else if (StartsWithKeyword(key, KW_GROUP)) {
        int32_t n = ParseLeadingNumber(key.substr(Keyword(KW_GROUP).size()));
        if (n < 1 || n > kMaxGroupId) {
            return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
        }
        int32_t lResult = m_model.GetGroupSet().AddGroupLine(n, value);
        if (lResult != TQ_OK) {
            return Fail(IDS_LOG_BAD_LINE, 0, line, lResult);
        }
    } else if (IsKeyword(key, KW_SELECT_ALL_DB)) {
        if (IsKeyword(value, KW_DISABLE) || IsKeyword(value, KW_NO)) {
            m_model.GetSettings().m_dwSelectAllDisabled = 1;
        }
    } else if (IsKeyword(key, KW_BLANK_SOURCES)) {
        m_model.GetSettings().m_dwBlankSources |= IsSwitchOn(value) ? 1 : 0;
    } else if (IsKeyword(key, KW_ADD_ID)) {
        m_model.GetSettings().m_dwAddID |= IsSwitchOn(value) ? 1 : 0;
    } else if (IsKeyword(key, KW_DIVIDE_NO_BOOKMARK)) {
        m_model.GetSettings().m_dwDivideNoBookmark |= IsSwitchOn(value) ? 1 : 0;
    } else if (IsKeyword(key, KW_DEFAULT_GROUP)) {
        m_model.GetGroupSet().SetDefault(ParseLeadingNumber(value));
    } else if (IsKeyword(key, KW_SELECT_OFF_GROUPS)) {
        return ParseSelectOffGroups(line, value);
    } else if (StartsWithKeyword(key, KW_FAMILY_OF_GROUP)) {
        return ParseFamily(line, key.substr(Keyword(KW_FAMILY_OF_GROUP).size()), value);
    } else {
        Log(IDS_LOG_SKIPPED, {line});
    }
    return TQ_OK;
}

int32_t CCtrlReader::ParseSelectOffGroups(std::string_view line, std::string_view value) {
    size_t pos = 0;
    for (;;) {
        size_t comma = FindChar(value, ',', pos);
        std::string_view item = TrimWhite(
            value.substr(pos, comma == std::string_view::npos ? value.npos : comma - pos));
        if (item.empty() || !IsAllDigits(item) ||
            m_model.GetGroupSet().SetSelectOff(ParseLeadingNumber(item)) != TQ_OK) {
            return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_BASE_INVALID);
        }
        if (comma == std::string_view::npos) {
            return TQ_OK;
        }
        pos = comma + 1;
    }
}

int32_t CCtrlReader::ParseFamily(std::string_view line, std::string_view rest,
                                 std::string_view value) {
    int32_t nFirst = 0;
    int32_t nLast = 0;
    size_t dash = FindChar(rest, '-');
    if (dash != std::string_view::npos) {
        nFirst = ParseLeadingNumber(rest.substr(0, dash));
        nLast = ParseLeadingNumber(rest.substr(dash + 1));
    } else {
        nFirst = nLast = ParseLeadingNumber(rest);
    }
    if (nFirst < 1 || nFirst > kMaxGroupId || nLast < nFirst) {
        return Fail(IDS_LOG_BAD_LINE, 0, line, TQE_GROUP_INVALID);
    }
    int32_t lResult = m_model.GetGroupSet().SetFamily(nFirst, nLast, std::string(value));
    return lResult == TQ_OK ? TQ_OK : Fail(IDS_LOG_BAD_LINE, 0, line, lResult);
}

int32_t CCtrlReader::ParseSectionKey(std::string_view line, std::string_view key,
                                     std::string_view value) {
    CCtrlDatabase& db = *m_pDb;
    if (IsKeyword(key, KW_PUBLIC_NAME)) {
        db.m_strPublicName.assign(value);
    } else if (IsKeyword(key, KW_DOC_LIST_FILE)) {
        db.m_strDocListFile.assign(value);
    } else if (IsKeyword(key, KW_GROUP)) {
        return ParseDBGroup(line, value);
    } else if (IsKeyword(key, KW_FAQ)) {
        return ParseFaq(line, value);
    } else if (IsKeyword(key, KW_DOC)) {
        if (db.m_docs.empty()) {
            db.m_docs.reserve(4);  // a database seldom has just one document
        }
        db.m_docs.emplace_back(value);
    } else if (IsKeyword(key, KW_SKIP_DOC)) {
        db.m_skipDocs.emplace_back(value);
    } else if (StartsWithKeyword(key, KW_ROOT_PATH)) {
        return StoreIndexedKey(line, key.substr(Keyword(KW_ROOT_PATH).size()), db.m_rootPath,
                               value);
    } else if (StartsWithKeyword(key, KW_REG_KEY)) {
        return StoreIndexedKey(line, key.substr(Keyword(KW_REG_KEY).size()), db.m_regKey, value);
    } else if (StartsWithKeyword(key, KW_REG_ENTRY)) {
        // A present but empty entry ("") is kept apart from an empty slot.
        return StoreIndexedKey(line, key.substr(Keyword(KW_REG_ENTRY).size()), db.m_regEntry,
                               value.empty() ? std::string_view(kEmptyRegEntry) : value);
    } else if (StartsWithKeyword(key, KW_EXE_PATH)) {
        return StoreIndexedKey(line, key.substr(Keyword(KW_EXE_PATH).size()), db.m_exePath, value);
    } else if (StartsWithKeyword(key, KW_EXE_KEY)) {
        return StoreIndexedKey(line, key.substr(Keyword(KW_EXE_KEY).size()), db.m_exeKey, value);
    } else if (StartsWithKeyword(key, KW_ROOT_ORG_PATH)) {
        return StoreIndexedKey(line, key.substr(Keyword(KW_ROOT_ORG_PATH).size()), db.m_rootOrgPath,
                               value);
    } else if (StartsWithKeyword(key, KW_EXE_ORG_PATH)) {
        return StoreIndexedKey(line, key.substr(Keyword(KW_EXE_ORG_PATH).size()), db.m_exeOrgPath,
                               value);
    } else if (IsKeyword(key, KW_DATE)) {
        ParseCtrlDate(value, db.m_date);
    } else if (IsKeyword(key, KW_BLANK_SOURCE)) {
        if (IsSwitchOn(value)) {
            db.m_dwAttributes |= DBATTR_BLANK_TRUE;
        } else if (IsKeyword(value, KW_NO) || IsKeyword(value, KW_FALSE)) {
            db.m_dwAttributes |= DBATTR_BLANK_FALSE;
        }
    } else if (IsKeyword(key, KW_PDF_SKIP_TITLE_FILE)) {
        db.m_strPdfSkipTitleFile.assign(value);
    } else {
        Log(IDS_LOG_SKIPPED_IN, {db.m_strName, line});
    }
    return TQ_OK;
}

int32_t CCtrlReader::ParseDBGroup(std::string_view line, std::string_view value) {
    CCtrlGroup* pGroup = m_model.GetGroupSet().FindAndReference(ParseLeadingNumber(value));
    if (pGroup == nullptr) {
        return Fail(0, IDS_LOG_BAD_LINE_IN, line, TQE_GROUP_INVALID);
    }
    m_pDb->m_groups.push_back(pGroup);
    return TQ_OK;
}

int32_t CCtrlReader::ParseFaq(std::string_view line, std::string_view value) {
    uint32_t dwKind = IsKeyword(value, KW_VAIO)      ? DBFAQ_VAIO
                      : IsKeyword(value, KW_NEC)     ? DBFAQ_NEC
                      : IsKeyword(value, KW_HITACHI) ? DBFAQ_HITACHI
                                                     : DBFAQ_NONE;
    if (dwKind == DBFAQ_NONE) {
        return Fail(0, IDS_LOG_BAD_LINE_IN, line, TQE_BASE_INVALID);
    }
    // A second FAQ line combines with the first (VAIO and NEC give HITACHI's code).
    m_pDb->m_dwAttributes |= dwKind;
    return TQ_OK;
}

int32_t CCtrlReader::StoreIndexedKey(std::string_view line, std::string_view suffix,
                                     CtrlStringList& list, std::string_view value) {
    size_t n = 0;
    if (suffix.size() == 1 && suffix[0] >= '1' && suffix[0] <= '9') {
        n = static_cast<size_t>(suffix[0] - '0');
    } else if (!suffix.empty()) {
        return Fail(0, IDS_LOG_BAD_LINE_IN, line, TQE_BASE_INVALID);
    }
    CCtrlDatabase::StoreIndexed(list, n, value);
    return TQ_OK;
}

int32_t CCtrlReader::Validate(const std::string& strPath) {
    if (!m_model.GetGroupSet().Validate()) {
        Log(IDS_LOG_GROUPS);
        return TQE_BASE_INVALID;
    }
    m_strFolder.clear();
    if (!strPath.empty()) {
        std::string strFile;
        SplitPath(strPath, m_strFolder, strFile);
    }
    // Which databases have an earlier one of the same name, ignoring case: sorting by a hash of
    // the folded name brings such names together, so the check is not quadratic, and the
    // verdict for each database is exactly that of comparing it with every earlier one.
    size_t nCount = m_model.GetDBCount();
    std::vector<std::pair<uint64_t, size_t>> byHash(nCount);
    for (size_t i = 0; i < nCount; ++i) {
        byHash[i] = {HashNoCase(m_model.GetDatabase(i)->m_strName), i};
    }
    std::sort(byHash.begin(), byHash.end());
    std::vector<bool> duplicate(nCount, false);
    for (size_t run = 0; run < nCount;) {
        size_t end = run + 1;
        while (end < nCount && byHash[end].first == byHash[run].first) {
            ++end;
        }
        for (size_t k = run + 1; k < end; ++k) {
            const CtrlString& name = m_model.GetDatabase(byHash[k].second)->m_strName;
            for (size_t j = run; j < k && !duplicate[byHash[k].second]; ++j) {
                duplicate[byHash[k].second] =
                    EqualsNoCase(m_model.GetDatabase(byHash[j].second)->m_strName, name);
            }
        }
        run = end;
    }
    for (size_t i = nCount; i-- > 0;) {
        int32_t lResult = ValidateDatabase(*m_model.GetDatabase(i), duplicate[i]);
        if (lResult != TQ_OK) {
            return lResult;
        }
    }
    return TQ_OK;
}

int32_t CCtrlReader::ValidateDatabase(CCtrlDatabase& db, bool bDuplicate) {
    int32_t nVerdict = CheckDatabaseName(db.m_strName);
    if (nVerdict != DBNAME_OK) {
        Log(IDS_LOG_DBNAME_INVALID, {db.m_strName});
        return NameVerdictToCode(nVerdict);
    }
    if (bDuplicate) {
        Log(IDS_LOG_DBNAME_TWICE, {db.m_strName});
        return TQE_DBNAME_TWICE;
    }
    if (db.m_groups.empty()) {
        Log(IDS_LOG_NO_GROUP, {db.m_strName});
        return TQE_GROUP_INVALID;
    }
    if (!db.m_strPdfSkipTitleFile.empty()) {
        int32_t lResult = CheckFileExists(db, db.m_strPdfSkipTitleFile, IDS_LOG_PDFSKIP_MISSING);
        if (lResult != TQ_OK) {
            return lResult;
        }
    }
    if (!db.m_strDocListFile.empty()) {
        int32_t lResult = CheckFileExists(db, db.m_strDocListFile, IDS_LOG_DOCLIST_MISSING);
        if (lResult != TQ_OK) {
            return lResult;
        }
    } else if (!HasDocument(db)) {
        Log(IDS_LOG_NO_DOCS, {db.m_strName});
        return TQE_BASE_INVALID;
    }
    if (HasUnmatchedSlot(db.m_rootOrgPath, db.m_regKey)) {
        Log(IDS_LOG_ROOTORG_NO_REGKEY, {db.m_strName});
        return TQE_BASE_INVALID;
    }
    if (HasUnmatchedSlot(db.m_regEntry, db.m_regKey)) {
        Log(IDS_LOG_REGENTRY_NO_REGKEY, {db.m_strName});
        return TQE_BASE_INVALID;
    }
    if (HasUnmatchedSlot(db.m_exeOrgPath, db.m_exeKey)) {
        Log(IDS_LOG_EXEORG_NO_EXEKEY, {db.m_strName});
        return TQE_BASE_INVALID;
    }
    PadTo(db.m_rootPath, db.m_regKey.size());
    PadTo(db.m_rootOrgPath, db.m_regKey.size());
    PadTo(db.m_regEntry, db.m_regKey.size());
    PadTo(db.m_exePath, db.m_exeKey.size());
    PadTo(db.m_exeOrgPath, db.m_exeKey.size());
    return TQ_OK;
}

int32_t CCtrlReader::CheckFileExists(const CCtrlDatabase& db, std::string_view strPath,
                                     uint32_t idMsg) {
    std::string strFull(strPath);
    bool bFound = MakeFullPath(strFull, m_strFolder);
    if (bFound) {
        ToUniversalPath(strFull);
        bFound = GetPathType(strFull) == PATH_FILE;
    }
    if (!bFound) {
        Log(idMsg, {db.m_strName, strPath});
        return TQE_DOCLIST_OPEN;
    }
    return TQ_OK;
}

}  // namespace tq
