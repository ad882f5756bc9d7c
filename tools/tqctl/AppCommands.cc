#include "AppCommands.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Host.h"
#include "Libraries.h"
#include "applications/AppNameRules.h"
#include "applications/AppliCommit.h"
#include "applications/AppliOperations.h"
#include "applications/CheckJob.h"
#include "applications/EditFileSets.h"
#include "applications/EditSession.h"
#include "applications/HaveTopic.h"
#include "applications/JobWaitLoop.h"
#include "applications/TargetList.h"
#include "dialogs/DialogProvider.h"
#include "frame/AppDialogEntry.h"
#include "frame/ErrorTable.h"
#include "manager/CtrlFile.h"
#include "platform/Cp932.h"
#include "resources/ErrorCodes.h"
#include "resources/StringTable.h"

namespace tq::tqctl {

namespace {

// The chosen files in Windows form, each with its file name as display name. False (after a
// usage message) for a path that has no Windows form.
bool MakeItems(CHost& host, const std::vector<std::string>& files, std::vector<CCheckItem>& items) {
    for (const std::string& strFile : files) {
        CCheckItem item;
        if (ToWindowsForm(strFile, item.m_strPath) != 0) {
            host.Usage("no Windows form for the path " + strFile);
            return false;
        }
        size_t slash = FindLastChar(item.m_strPath, '\\');
        item.m_strDisplayName =
            slash == std::string::npos ? item.m_strPath : item.m_strPath.substr(slash + 1);
        items.push_back(std::move(item));
    }
    return true;
}

// The failure line of an error code; returns the exit status.
int FailLine(CHost& host, int32_t lCode) {
    std::string strMessage;
    GetErrorMessage(lCode, strMessage);
    return host.Fail(lCode, strMessage);
}

// Opens the product for editing its user applications: kExitOk, or the exit status after the
// usage or failure line. strCaption receives the product's display name.
int OpenSession(CHost& host, CEditSession& session, std::string& strCaption) {
    std::string strKey;
    if (!host.GetProduct(strKey)) {
        return kExitUsage;
    }
    const int32_t err = session.Open(kProductKeyBase + strKey);
    session.GetCtrlFile().GetProductKey().GetProductName(strCaption);
    return err == 0 ? kExitOk : FailLine(host, err);
}

// Runs the check job over the items into the target list, the owner (this thread) waiting,
// and reports refused files on standard error as the dialogs would: message 107 for a single
// file, else the names one per line.
void RunCheckJob(CHost& host, const CDialogContext& context, const std::vector<CCheckItem>& items,
                 CSortedTargetList& targets, std::vector<std::string>* pAccepted) {
    CJobWaitLoop loop;
    CCheckJob job(items, {context.m_pCtrlFile, context.m_pTopicFilter}, targets, loop, pAccepted);
    job.Start();
    loop.Wait();
    job.Join();
    const std::string& strRefused = job.GetRefusedNames();
    if (strRefused.empty()) {
        return;
    }
    if (items.size() == 1) {
        const char* pszText = LoadString(IDS_FILE_NO_TOPICS);
        host.Err() << host.ToTerminal(pszText != nullptr ? pszText : "") << '\n';
        return;
    }
    std::string strLines = strRefused;
    for (size_t pos = 0; (pos = strLines.find("\r\n", pos)) != std::string::npos;) {
        strLines.erase(pos, 1);
    }
    host.Err() << host.ToTerminal(strLines) << '\n';
}

// Takes a file out of the target list: the entry equal to the text as given or to its Windows
// form, ignoring case. False when the list has no such entry.
bool RemoveTarget(const std::string& strFile, CSortedTargetList& targets, CEditFileSets& sets) {
    std::string strCp932, strWin;
    int32_t index = -1;
    if (Utf8ToCp932(strFile, strCp932) == 0) {
        index = targets.FindStringExact(strCp932);
    }
    if (index < 0 && ToWindowsForm(strFile, strWin) == 0) {
        index = targets.FindStringExact(strWin);
    }
    if (index < 0) {
        return false;
    }
    sets.NoteRemoved(targets.GetEntries()[static_cast<size_t>(index)]);
    targets.DeleteString(index);
    return true;
}

// What the command line says in place of the add wizard and the edit dialog: the name and the
// files the user would give them, with the dialogs' rules and messages. The messages go to the
// terminal; a dialog that showed one ends as cancelled, and the command with the message.
class CCommandLineDialogs : public CDialogProvider {
public:
    explicit CCommandLineDialogs(CHost& host) : m_host(host) {}

    // The files to check in; the name page's text (add-app), or the edit's new name and the
    // files it takes away.
    std::vector<CCheckItem> m_items;
    std::string m_strName;
    bool m_bName = false;
    std::vector<std::string> m_remove;

    bool HasShownMessage() const { return m_bShown; }

    int32_t RunAddAppDialog(const CDialogContext& context) override {
        CCtrlFile& file = *context.m_pCtrlFile;
        std::string strName;
        if (uint32_t id = CheckNewAppName(file, m_strName, strName); id != 0) {
            return Show(id);
        }
        CSortedTargetList targets;
        RunCheckJob(m_host, context, m_items, targets, nullptr);
        if (targets.IsEmpty()) {
            return Show(IDS_SPECIFY_TARGETS);
        }
        int32_t position = -1;
        if (uint32_t id = AddNewAppli(file, strName, position); id != 0) {
            return Show(id);
        }
        return CommitNewAppli(file, position, strName, targets.GetEntries());
    }

    int32_t RunEditAppDialog(const CDialogContext& context, int32_t lIndex) override {
        CCtrlFile& file = *context.m_pCtrlFile;
        const std::string strOldName = file.GetPublicName(lIndex);
        CSortedTargetList targets;
        for (const std::string& strPath : CAppliOperations(file).GetDocDisplayPaths(lIndex)) {
            targets.AddString(strPath);
        }
        CEditFileSets sets;
        for (const std::string& strFile : m_remove) {
            if (!RemoveTarget(strFile, targets, sets)) {
                return TQE_DOC_NOT_REGISTERED;
            }
        }
        std::vector<std::string> accepted;
        RunCheckJob(m_host, context, m_items, targets, &accepted);
        for (const std::string& strPath : accepted) {
            sets.NoteAdded(strPath);
        }
        std::string strNewName;
        const std::string& strText = m_bName ? m_strName : strOldName;
        if (uint32_t id =
                ApplyEditAppName(file, lIndex, strOldName, strText, targets.IsEmpty(), strNewName);
            id != 0) {
            return Show(id);
        }
        return ApplyEditedFiles(file, lIndex, strNewName != strOldName, sets);
    }

private:
    // Shows a message of the dialogs (a string-table id) as they would.
    int32_t Show(uint32_t id) {
        const char* pszText = LoadString(id);
        m_host.Out() << m_host.ToTerminal(pszText != nullptr ? pszText : "") << '\n' << std::flush;
        m_bShown = true;
        return TQE_CANCELLED;
    }

    CHost& m_host;
    bool m_bShown = false;
};

// Runs one of the dialogs through the component's way in, answered by the command line, then
// saves as the dialog commands do. pNumber (add-app) receives the new application's number.
// kExitOk, or the exit status after the message or the failure line.
int RunDialog(CHost& host, CCommandLineDialogs& dialogs,
              const std::function<int32_t(CEditSession&, const std::string&)>& open,
              int32_t* pNumber) {
    UseToolTopicLibrary();
    CEditSession session;
    std::string strCaption;
    if (int nExit = OpenSession(host, session, strCaption); nExit != kExitOk) {
        return nExit;
    }
    CDialogProvider* pPrevious = SetDialogProvider(&dialogs);
    int32_t lResult = open(session, strCaption);
    SetDialogProvider(pPrevious);
    if (dialogs.HasShownMessage()) {
        return kExitFailed;
    }
    if (lResult >= 0 && pNumber != nullptr) {
        *pNumber = lResult;
    }
    if (lResult >= 0) {
        lResult = session.Save(SAVEMODE_EDITED);
    }
    return lResult == 0 ? kExitOk : FailLine(host, lResult);
}

int CheckCommand(CHost& host, const std::vector<std::string>& args) {
    if (args.empty()) {
        return host.Usage("check needs at least one FILE");
    }
    std::vector<CCheckItem> items;
    if (!MakeItems(host, args, items)) {
        return kExitUsage;
    }
    UseToolTopicLibrary();
    for (size_t i = 0; i < items.size(); ++i) {
        host.Out() << HaveTopic(items[i].m_strPath, 0) << '\t' << args[i] << '\n';
    }
    host.Out() << std::flush;
    return kExitOk;
}

int AddAppCommand(CHost& host, const std::vector<std::string>& args) {
    if (args.size() < 2) {
        return host.Usage("add-app needs a NAME and at least one FILE");
    }
    std::string strText;
    if (!host.FromTerminal(args[0], strText)) {
        return host.Usage("the name has characters that code page 932 cannot hold");
    }
    CCommandLineDialogs dialogs(host);
    dialogs.m_strName = strText;
    if (!MakeItems(host, std::vector<std::string>(args.begin() + 1, args.end()), dialogs.m_items)) {
        return kExitUsage;
    }
    int32_t number = 0;
    const int nExit = RunDialog(host, dialogs, OpenAddAppDialog, &number);
    if (nExit == kExitOk) {
        host.Out() << number << '\n' << std::flush;
    }
    return nExit;
}

// Reads the options of edit-app after TYPE and NUMBER into the dialogs' answers. False after a
// usage message.
bool ParseEditOptions(CHost& host, const std::vector<std::string>& args, CCommandLineDialogs& to,
                      std::vector<std::string>& add) {
    for (size_t i = 2; i < args.size(); i += 2) {
        const std::string& strOption = args[i];
        if (i + 1 >= args.size()) {
            host.Usage(strOption + " needs a value");
            return false;
        }
        if (strOption == "--name") {
            if (!host.FromTerminal(args[i + 1], to.m_strName)) {
                host.Usage("the name has characters that code page 932 cannot hold");
                return false;
            }
            to.m_bName = true;
        } else if (strOption == "--add") {
            add.push_back(args[i + 1]);
        } else if (strOption == "--remove") {
            to.m_remove.push_back(args[i + 1]);
        } else {
            host.Usage("unknown option " + strOption);
            return false;
        }
    }
    return true;
}

int EditAppCommand(CHost& host, const std::vector<std::string>& args) {
    int32_t lType = 0, lNumber = 0;
    if (args.size() < 2 || !ParseInt32(args[0], lType) || !ParseInt32(args[1], lNumber)) {
        return host.Usage("expected edit-app TYPE NUMBER (two integers) and options");
    }
    CCommandLineDialogs dialogs(host);
    std::vector<std::string> add;
    if (!ParseEditOptions(host, args, dialogs, add) || !MakeItems(host, add, dialogs.m_items)) {
        return kExitUsage;
    }
    const auto open = [lType, lNumber](CEditSession& session, const std::string& strCaption) {
        return OpenEditAppDialog(session, strCaption, lType, lNumber);
    };
    const int nExit = RunDialog(host, dialogs, open, nullptr);
    return nExit == kExitOk ? host.Succeed() : nExit;
}

int RunWithHost(int (*pfnCommand)(CHost&, const std::vector<std::string>&),
                const std::vector<std::string>& args) {
    return pfnCommand(GetHost(), args);
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
    return RunWithHost(CheckCommand, args);
}

int RunAddApp(const std::vector<std::string>& args) {
    return RunWithHost(AddAppCommand, args);
}

int RunEditApp(const std::vector<std::string>& args) {
    return RunWithHost(EditAppCommand, args);
}

}  // namespace tq::tqctl
