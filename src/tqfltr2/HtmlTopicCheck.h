// The topic check of HTML pages (.htm, .html): the page is one topic, searchable when its body
// holds visible text.
#pragma once

#include <cstdint>

namespace tq {

class CTopicFile;

// The most of a page the check parses. Memory stays bounded by it even for a page whose
// markup never ends (an unterminated comment is buffered whole); a page whose first 16 MiB hold
// no body text is not a help topic.
constexpr uint64_t kMaxHtmlBytes = 16 * 1024 * 1024;

class CHtmlTopicCheck {
public:
    explicit CHtmlTopicCheck(CTopicFile& file) : m_file(file) {}
    // One of the TQFLTR2_* answers.
    int Run();

private:
    CTopicFile& m_file;
};

}  // namespace tq
