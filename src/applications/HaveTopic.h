// Which check of the topic-filter library a file gets, chosen by its extension, and the check
// of a file that is to become a document of a user application.
#pragma once

#include <cstdint>
#include <string>

#include "applications/TopicLibrary.h"

namespace tq {

class CCtrlModel;

// The library's answer for the file: ".hlp", ".chm", ".pdf", ".txt" and ".htm" by the last
// four characters, ".html" by the last five, ignoring case; the path must be longer than its
// extension. Any other path: TQE_UNSUPPORTED_FILE. Only the answer 1 accepts the file.
int32_t HaveTopic(const std::string& strPath, int32_t divideNoBookmark,
                  const ITopicFilter& filter = CTopicLibrary::Get());

// HaveTopic with the model's DivideNoBookmark setting (1 when the control file switches it on).
// A path with a control character is refused (TQE_CONTROL_CHAR) without asking the library.
// Reads nothing else of the model, so it may run on a worker thread while the model is idle.
int32_t CheckHelpFile(const CCtrlModel& model, const std::string& strPath,
                      const ITopicFilter& filter = CTopicLibrary::Get());

}  // namespace tq
