// The command table of tqctl. Each command takes its own arguments (after the command name)
// and returns the process's exit status; later commands join the table in Commands.cc.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tq::tqctl {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct CCommand {
    const char* m_pszName;
    const char* m_pszArgs;  // synopsis of the arguments, for the usage text
    const char* m_pszHelp;  // one line
    int (*m_pfnRun)(const std::vector<std::string>& args);
};

std::span<const CCommand> GetCommands();
const CCommand* FindCommand(const std::string& strName);
// The usage text: global options and every command of the table.
std::string UsageText();

// Prints the last line of a command, "CODE<TAB>MESSAGE" (message in UTF-8; "0<TAB>" for
// success), and returns the exit status for the code.
int PrintResult(int32_t lCode);
// Prints a code page 932 text as one UTF-8 line.
void PrintLine(const std::string& strCp932);
// A Linux path (relative to the working directory or absolute) in Windows form.
int32_t ToWindowsForm(const std::string& strLinux, std::string& strWin);

// The commands of LintCommands.cc.
int RunLint(const std::vector<std::string>& args);
int RunRewrite(const std::vector<std::string>& args);

}  // namespace tq::tqctl
