// The topic check of plain text files (.txt): the whole file is one topic, searchable when it
// holds a visible character.
#pragma once

namespace tq {

class CTopicFile;

class CTxtTopicCheck {
public:
    explicit CTxtTopicCheck(CTopicFile& file) : m_file(file) {}
    // One of the TQFLTR2_* answers. Reads piece by piece and stops at the first visible
    // character, so memory stays bounded whatever the file's size.
    int Run();

private:
    CTopicFile& m_file;
};

}  // namespace tq
