// Files offered as targets from outside the file list (dropped from a file manager, or handed
// over by the host) that cannot be targets, and the note that tells the user which and why. A
// file the list shows can always be named; one dropped may be a folder, gone, or have a name
// Windows does not allow, which would not resolve, or be cut at its '>' in a document entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tq {

struct CLeftOutFile {
    std::string m_strName;  // as the user knows it, code page 932
    uint32_t m_idWhy = 0;   // the string that says why: one of IDS_LEFT_OUT_FOLDER ... TOO_LONG
};

// 0 when the Windows path names a file that can be a target, else the string id of why not.
uint32_t WhyNotTarget(const std::string& strPath);

// The note: a heading, then one line "name（why）" for each file (long names shortened), at
// most kLeftOutLines of them and then how many more.
constexpr size_t kLeftOutLines = 20;
std::string FormatLeftOutNote(const std::vector<CLeftOutFile>& files);

}  // namespace tq
