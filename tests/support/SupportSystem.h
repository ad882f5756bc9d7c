// What the test support's two systems (posix/, win32/) give its shared part, and the reverse.
#pragma once

#include <filesystem>
#include <string>

namespace tq::test {

// The flag that makes a test program run a child body: "--tq-child=NAME".
inline constexpr const char* kChildFlag = "--tq-child=";

// The source tree.
std::filesystem::path SourceDir();
// A host path given in UTF-8.
std::filesystem::path HostPath(const std::string& strPath);
// Done first in a child, before its body runs: it takes over its parent's machine.
void PrepareChild();

}  // namespace tq::test
