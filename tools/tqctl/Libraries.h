// Where tqctl finds the libraries it goes with: the component module that register registers
// when it is given none, and the topic-filter library that the topic checks load. Run from the
// build tree, the tool uses the libraries built with it; installed, those of its installation,
// found from the tool's own folder so that an installation keeps working when it is moved.
#pragma once

#include <string>

namespace tq::tqctl {

// The Linux path of the component module (libtqcstm.so).
std::string GetComponentModulePath();
// The Linux folder of the topic-filter library (libtqfltr2.so).
std::string GetToolTopicLibraryFolder();
// Makes the component tqctl links check files with the topic-filter library that goes with
// tqctl, unless the environment names another folder.
void UseToolTopicLibrary();

}  // namespace tq::tqctl
