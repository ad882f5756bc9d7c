#include "tqfltr2/ChmTopicCheck.h"

#include <chm_lib.h>

#include <memory>
#include <string>
#include <string_view>

#include "platform/Cp932.h"
#include "tqfltr2/ChmDirectory.h"
#include "tqfltr2/HtmlTextScanner.h"
#include "tqfltr2/LittleEndian.h"
#include "tqfltr2/TopicFile.h"
#include "tqfltr2/Tqfltr2.h"

namespace tq {
namespace {

// The archive header: "ITSF", version, header length, ..., then the table of the two header
// sections (offset and length, 8 bytes each) at 0x38. Header section 0 holds the file's size
// at its offset 8.
constexpr uint32_t kItsfMinHeaderSize = 0x58;
// Version 3 headers add where the uncompressed section begins; earlier ones start it after the
// directory.
constexpr uint32_t kItsfV3HeaderSize = 0x60;
constexpr uint32_t kSectionTableOffset = 0x38;
constexpr uint32_t kSection0Size = 0x18;
constexpr uint32_t kTopicPiece = 64 * 1024;

struct CChmCloser {
    void operator()(chmFile* pChm) const { chm_close(pChm); }
};

bool IsHtmlObject(std::string_view path) {
    return EndsWithNoCase(path, ".htm") || EndsWithNoCase(path, ".html");
}

// The objects that give chmlib its LZX parameters: the window size and the reset interval, and
// the table of where each block of compressed data starts.
constexpr std::string_view kControlData = "::DataSpace/Storage/MSCompressed/ControlData";
constexpr std::string_view kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
    "InstanceData/ResetTable";
constexpr std::string_view kContent = "::DataSpace/Storage/MSCompressed/Content";
constexpr uint32_t kControlDataMin = 0x18;
constexpr uint32_t kControlDataMax = 0x100;  // chmlib refuses the archive beyond this
constexpr uint32_t kResetTableSize = 0x28;

// The parameters as chmlib computes them (32-bit arithmetic), sound only when every division
// it makes by them has a divisor and the window is one its LZX decoder takes (2^15 to 2^21).
bool AreLzxParametersSound(std::string_view control, std::string_view reset) {
    uint32_t resetInterval = GetU32(control, 0x0C);
    uint32_t window = GetU32(control, 0x10);
    uint32_t windowsPerReset = GetU32(control, 0x14);
    if (GetU32(control, 0x08) == 2) {
        resetInterval *= 0x8000;
        window *= 0x8000;
    }
    if (control.substr(4, 4) != "LZXC" || window < (1u << 15) || window > (1u << 21) ||
        (window & (window - 1)) != 0 || resetInterval == 0 || resetInterval % (window / 2) != 0 ||
        resetInterval / (window / 2) * windowsPerReset == 0) {
        return false;
    }
    return GetU32(reset, 0) == 2 && GetU64(reset, 0x20) != 0;  // version, block length
}

int OnObjectThunk(chmFile* pChm, chmUnitInfo* pInfo, void* pContext) {
    return static_cast<CChmTopicCheck*>(pContext)->OnObject(pChm, pInfo);
}

}  // namespace

CChmTopicCheck::CChmTopicCheck(CTopicFile& file, int nTopicsNeeded)
    : m_file(file), m_nTopicsNeeded(nTopicsNeeded < 1 ? 1 : nTopicsNeeded) {}

int CChmTopicCheck::Run() {
    if (int answer = CheckHeader(); answer != 0) {
        return answer;
    }
    std::unique_ptr<chmFile, CChmCloser> pChm(chm_open(m_file.GetLinuxPath().c_str()));
    if (pChm == nullptr) {
        return m_file.CanStillOpen() ? TQFLTR2_DAMAGED : TQFLTR2_UNREADABLE;
    }
    chm_enumerate(pChm.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, OnObjectThunk, this);
    if (m_lFailure != 0) {
        return m_lFailure;
    }
    return m_nTopicsFound >= m_nTopicsNeeded ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC;
}

int CChmTopicCheck::CheckHeader() {
    std::string strHeader;
    if (int err = m_file.ReadAt(0, kItsfMinHeaderSize, strHeader); err != 0) {
        return err;
    }
    if (strHeader.size() < kItsfMinHeaderSize || strHeader.compare(0, 4, "ITSF") != 0 ||
        GetU32(strHeader, 8) < kItsfMinHeaderSize) {
        return TQFLTR2_DAMAGED;
    }
    uint64_t section0 = GetU64(strHeader, kSectionTableOffset);
    uint64_t directory = GetU64(strHeader, kSectionTableOffset + 16);
    uint64_t directoryLength = GetU64(strHeader, kSectionTableOffset + 24);
    uint64_t size = m_file.GetSize();
    if (section0 > size || directory > size || directoryLength > size - directory) {
        return TQFLTR2_DAMAGED;
    }
    std::string strSection0;
    if (int err = m_file.ReadAt(section0, kSection0Size, strSection0); err != 0) {
        return err;
    }
    // A file shorter than the size its header records was cut off: its last objects are gone.
    if (strSection0.size() < kSection0Size || GetU64(strSection0, 8) > size) {
        return TQFLTR2_DAMAGED;
    }
    uint64_t data = directory + directoryLength;
    if (GetU32(strHeader, 4) == 3) {
        std::string strData;
        if (int err = m_file.ReadAt(kItsfMinHeaderSize, 8, strData); err != 0) {
            return err;
        }
        if (strData.size() < 8 || GetU32(strHeader, 8) < kItsfV3HeaderSize) {
            return TQFLTR2_DAMAGED;
        }
        data = GetU64(strData, 0);
    }
    CChmDirectory dir(m_file);
    if (int answer = dir.Read(directory, directoryLength); answer != 0) {
        return answer;
    }
    return CheckCompression(dir, data);
}

int CChmTopicCheck::CheckCompression(const CChmDirectory& dir, uint64_t data) {
    // chmlib decompresses only with all three objects stored uncompressed; without them it reads
    // the stored objects alone.
    const CChmObject* pControl = dir.Find(kControlData);
    const CChmObject* pReset = dir.Find(kResetTable);
    const CChmObject* pContent = dir.Find(kContent);
    if (pControl == nullptr || pReset == nullptr || pContent == nullptr ||
        pControl->m_nSection != 0 || pReset->m_nSection != 0 || pContent->m_nSection != 0 ||
        pControl->m_nLength > kControlDataMax) {
        return 0;
    }
    // chmlib takes its parameters from these objects even when it could not read them whole,
    // and divides by them unchecked.
    std::string strControl;
    std::string strReset;
    if (int err = m_file.ReadAt(data + pControl->m_nOffset,
                                static_cast<uint32_t>(pControl->m_nLength), strControl);
        err != 0) {
        return err;
    }
    if (int err = m_file.ReadAt(data + pReset->m_nOffset, kResetTableSize, strReset); err != 0) {
        return err;
    }
    if (strControl.size() < pControl->m_nLength || strControl.size() < kControlDataMin ||
        pReset->m_nLength < kResetTableSize || strReset.size() < kResetTableSize ||
        !AreLzxParametersSound(strControl, strReset)) {
        return TQFLTR2_DAMAGED;
    }
    return 0;
}

int CChmTopicCheck::OnObject(chmFile* pChm, chmUnitInfo* pInfo) {
    // chmlib is C: nothing may be thrown through it.
    try {
        if (!IsHtmlObject(pInfo->path)) {
            return CHM_ENUMERATOR_CONTINUE;
        }
        int answer = CheckTopic(pChm, pInfo);
        if (answer < 0) {
            m_lFailure = answer;
            return CHM_ENUMERATOR_SUCCESS;  // stops the walk
        }
        if (answer == TQFLTR2_HAS_TOPIC && ++m_nTopicsFound >= m_nTopicsNeeded) {
            return CHM_ENUMERATOR_SUCCESS;
        }
        return CHM_ENUMERATOR_CONTINUE;
    } catch (...) {
        m_lFailure = TQFLTR2_FAILED;  // out of memory
    }
    return CHM_ENUMERATOR_SUCCESS;
}

int CChmTopicCheck::CheckTopic(chmFile* pChm, chmUnitInfo* pInfo) {
    CHtmlTextScanner scanner;
    std::string strPiece(kTopicPiece, '\0');
    bool bText = false;
    for (uint64_t offset = 0; offset < pInfo->length && !bText;) {
        uint64_t want = pInfo->length - offset < kTopicPiece ? pInfo->length - offset : kTopicPiece;
        LONGINT64 got =
            chm_retrieve_object(pChm, pInfo, reinterpret_cast<unsigned char*>(strPiece.data()),
                                offset, static_cast<LONGINT64>(want));
        if (got <= 0) {
            return TQFLTR2_DAMAGED;  // the object's data cannot be read or decompressed
        }
        bText = scanner.Feed(std::string_view(strPiece.data(), static_cast<size_t>(got)));
        offset += static_cast<uint64_t>(got);
    }
    bText = scanner.Finish();
    if (scanner.IsFailed()) {
        return TQFLTR2_FAILED;
    }
    return bText ? TQFLTR2_HAS_TOPIC : TQFLTR2_NO_TOPIC;
}

}  // namespace tq
