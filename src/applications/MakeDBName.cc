// Deriving a database name from a public name: the name is also the database's folder in the
// data folder, so it must be folder-safe and unique.
#include <cstdio>

#include "applications/AppliOperations.h"
#include "applications/SanitizeDBName.h"
#include "controlfile/Keywords.h"
#include "controlfile/NameRules.h"
#include "manager/CtrlFile.h"
#include "platform/Cp932.h"
#include "resources/ErrorCodes.h"

namespace tq {
namespace {

constexpr size_t kMaxNameBytes = 64;
constexpr size_t kMaxBaseBytes = 58;  // room for "#" and three digits
constexpr int32_t kFirstNumber = 2;
constexpr int32_t kLastNumber = 999;
constexpr int kTempNameTries = 16;

// Cuts a text to at most n bytes without splitting a double-byte character.
void CutToBytes(std::string& s, size_t n) {
    if (s.size() > n) {
        s.resize(LastByteClass(s.substr(0, n)) == 2 ? n - 1 : n);
    }
}

// Whether the text after '#' is one to three digits; their value in *pValue.
bool IsShortNumber(std::string_view s, int32_t* pValue) {
    if (s.empty() || s.size() > 3) {
        return false;
    }
    int32_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    *pValue = value;
    return true;
}

// The base of the numbered names and the first number: "Manual" gives "Manual#" and 2,
// "Manual#7" gives "Manual#" and 8.
void GetNumberingBase(std::string s, std::string& strBase, int32_t& nStart) {
    CutToBytes(s, kMaxBaseBytes);
    nStart = kFirstNumber;
    const size_t p = FindLastChar(s, '#');
    int32_t value = 0;
    if (s.empty() || (p != std::string::npos && p + 1 == s.size())) {
        strBase = s;
    } else if (p != std::string::npos && p + 4 >= s.size() &&
               IsShortNumber(std::string_view(s).substr(p + 1), &value)) {
        strBase = s.substr(0, p + 1);
        nStart = value + 1;
    } else {
        strBase = s + "#";
    }
}

}  // namespace

// DBNAME_PREVIOUS / DBNAME_OWN when the name is the excluded database's previous name / name,
// 0 when another database has it, DBNAME_NEW when none has. The first database in array order
// that bears it decides.
int32_t CAppliOperations::CheckNameCandidate(const std::string& strName,
                                             int32_t excludeIndex) const {
    const auto& hits = m_file.FindNames(strName);
    if (hits.empty()) {
        return DBNAME_NEW;
    }
    const size_t pos = hits.front();
    if (excludeIndex < 0 || pos != static_cast<size_t>(excludeIndex)) {
        return 0;
    }
    const CCtrlDatabase& db = *m_file.GetDatabase(pos);
    return (!db.m_strPrevName.empty() && EqualsNoCase(db.m_strPrevName, strName)) ? DBNAME_PREVIOUS
                                                                                  : DBNAME_OWN;
}

int32_t CAppliOperations::MakeDBName(const std::string& strPublicName, int32_t excludeIndex,
                                     std::string& strName) const {
    std::string s = SanitizeDBName(strPublicName);
    if (s.size() > kMaxNameBytes) {
        CutToBytes(s, kMaxNameBytes);
        s.resize(TrimRightWhite(s).size());
        if (!s.empty() && s.back() == '.') {
            s.back() = '_';
        }
    }
    if (!s.empty() && !IsKeyword(s, KW_RESOURCE)) {
        const int32_t lResult = CheckNameCandidate(s, excludeIndex);
        // A plain file of that name in the data folder would stand where the database's
        // folder must go.
        if (lResult != 0 &&
            (lResult != DBNAME_NEW || GetPathType(m_file.GetDataPath() + s) != PATH_FILE)) {
            strName = s;
            return lResult;
        }
    }
    std::string strBase;
    int32_t n = 0;
    GetNumberingBase(s, strBase, n);
    // Every number from 2 to 999 is tried once, starting after the one the name carried; a
    // start outside that range ("#0", "#999") is tried first and then the whole range.
    const int32_t nTries =
        kLastNumber - kFirstNumber + 1 + (n > kLastNumber ? 1 : 0) + (n < kFirstNumber ? 1 : 0);
    for (int32_t i = 0; i < nTries; ++i) {
        const std::string strCandidate = strBase + std::to_string(n);
        const int32_t lResult = CheckNameCandidate(strCandidate, excludeIndex);
        if (lResult != 0) {
            strName = strCandidate;
            return lResult;
        }
        n = n >= kLastNumber ? kFirstNumber : n + 1;
    }
    // Every numbered name is taken: a unique temporary name from the data folder. Only its
    // file name is a database name; the full path would fail the name rule.
    for (int i = 0; i < kTempNameTries; ++i) {
        std::string strTemp;
        if (!MakeTempName(m_file.GetDataPath(), strTemp)) {
            break;
        }
        std::string strFolder;
        std::string strFile;
        SplitPath(strTemp, strFolder, strFile);
        if (CheckNameCandidate(strFile, -1) == DBNAME_NEW) {
            strName = strFile;
            return DBNAME_NEW;
        }
    }
    return TQE_DB_FOLDER_CREATE;
}

}  // namespace tq
