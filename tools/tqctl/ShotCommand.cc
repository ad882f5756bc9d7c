#include "ShotCommand.h"

#include <QApplication>
#include <QEventLoop>
#include <QListView>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>
#include <functional>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "applications/AppliOperations.h"
#include "browse/FileListModel.h"
#include "dialogs/AddAppFileDlg.h"
#include "dialogs/AddAppNameDlg.h"
#include "dialogs/DialogApplication.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/EditAppDlg.h"
#include "dialogs/FileListCtrl.h"
#include "dialogs/FileSelectionPane.h"
#include "dialogs/FolderComboBox.h"
#include "dialogs/NotAddedDlg.h"
#include "dialogs/WaitDlg.h"
#include "manager/CtrlFile.h"
#include "platform/Environment.h"

namespace tq::tqctl {

namespace {

// Shows the widget, lets it lay itself out and draws it.
QPixmap Draw(QWidget& widget) {
    widget.show();
    // The views lay out their items and scroll bars on timers of their own.
    QEventLoop loop;
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();
    return widget.grab();
}

QPixmap ShootFileList(const std::string& strFolder, int32_t nView) {
    CFileListCtrl list;
    list.setFont(GetDialogFont());
    list.resize(CDialogUnits(list.font()).ToPixels(0, 0, 244, 84).size());
    list.Initialize();
    list.SetView(nView);
    list.ShowFolder(strFolder, true);
    return Draw(list);
}

QPixmap ShootLocation(const std::string& strFolder, bool bOpen) {
    QWidget host;
    host.setFont(GetDialogFont());
    CDialogUnits units(host.font());
    auto* pBox = new CFolderComboBox(&host);
    pBox->setGeometry(units.ToPixels(0, 0, 138, 12));
    pBox->Initialize(12);
    pBox->SetFolder(strFolder);
    host.resize(pBox->size());
    QPixmap closed = Draw(host);
    if (!bOpen) {
        return closed;
    }
    pBox->showPopup();
    QCoreApplication::processEvents();
    QWidget* pPopup = pBox->view()->window();
    QPixmap popup = pPopup->grab();
    QPoint at = host.mapFromGlobal(pPopup->mapToGlobal(QPoint(0, 0)));
    // The closed box with its list below it, as the user sees them together.
    at.setY(std::max(at.y(), closed.height()));
    QPixmap picture(std::max(closed.width(), at.x() + popup.width()), at.y() + popup.height());
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawPixmap(0, 0, closed);
    painter.drawPixmap(std::max(at.x(), 0), at.y(), popup);
    return picture;
}

QPixmap ShootWait() {
    CWaitDlg dialog;
    QPixmap picture = Draw(dialog);
    dialog.Done();
    return picture;
}

// The report, with the names of the folder's files as the refused ones.
QPixmap ShootReport(const std::string& strFolder) {
    CFileListModel files;
    files.ShowFolder(strFolder, true);
    std::string strNames;
    for (size_t nRow = 0; nRow < files.GetRowCount(); ++nRow) {
        const CFileListItem* pItem = files.GetItem(nRow);
        if (!pItem->m_bFolder) {
            strNames += (strNames.empty() ? "" : "\r\n") + pItem->m_strDisplayName;
        }
    }
    CNotAddedDlg dialog("Trellisquest");
    dialog.SetText(strNames);
    return Draw(dialog);
}

// The files of a folder (not its subfolders), as full paths.
std::vector<std::string> FilesOf(const std::string& strFolder) {
    CFileListModel files;
    files.ShowFolder(strFolder, true);
    std::vector<std::string> paths;
    for (size_t nRow = 0; nRow < files.GetRowCount(); ++nRow) {
        if (!files.GetItem(nRow)->m_bFolder) {
            paths.push_back(files.GetItem(nRow)->m_strPath);
        }
    }
    return paths;
}

// The add wizard's pages and the edit dialog over the folder, its files as the targets, for an
// application named "私のマニュアル" in a model of its own (no product is read or written).
struct CShotModel {
    CCtrlFile m_file;
    CDialogContext m_context{&m_file, "", "Trellisquest"};
    std::string m_strName = "\x8e\x84\x82\xcc\x83\x7d\x83\x6a\x83\x85\x83\x41\x83\x8b";
};

QPixmap ShootAddFiles(const std::string& strFolder) {
    CShotModel model;
    CAddAppFiles files;
    files.m_targets = FilesOf(strFolder);
    CAddAppFileDlg page(model.m_context, files, nullptr);
    page.GetPane().OpenFolder(strFolder);
    return Draw(page);
}

QPixmap ShootAddName(const std::string&) {
    CShotModel model;
    CAddAppNameDlg page(model.m_context, model.m_strName, nullptr);
    return Draw(page);
}

QPixmap ShootEdit(const std::string& strFolder) {
    CShotModel model;
    CAppliOperations appli(model.m_file);
    if (appli.AddAppli(DBTYPE_FREE, model.m_strName) < 0) {
        return QPixmap();
    }
    const int32_t index = model.m_file.GetDBIndex(DBTYPE_FREE, 0);
    for (const std::string& strPath : FilesOf(strFolder)) {
        appli.AddDoc(index, strPath);
    }
    CEditAppDlg dialog(model.m_context, index, nullptr);
    return Draw(dialog);
}

const struct {
    const char* m_pszName;
    std::function<QPixmap(const std::string&)> m_shoot;
} kWidgets[] = {
    {"filelist", [](const std::string& f) { return ShootFileList(f, kViewList); }},
    {"details", [](const std::string& f) { return ShootFileList(f, kViewDetails); }},
    {"location", [](const std::string& f) { return ShootLocation(f, false); }},
    {"location-open", [](const std::string& f) { return ShootLocation(f, true); }},
    {"wait", [](const std::string&) { return ShootWait(); }},
    {"report", [](const std::string& f) { return ShootReport(f); }},
    {"add-files", ShootAddFiles},
    {"add-name", ShootAddName},
    {"edit", ShootEdit},
};

}  // namespace

int RunShot(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        std::cerr << "usage: tqctl shot ";
        for (const auto& widget : kWidgets) {
            std::cerr << (&widget == kWidgets ? "" : "|") << widget.m_pszName;
        }
        std::cerr << " FOLDER OUT.png\n";
        return kExitUsage;
    }
    // FOLDER is a Linux path, or a Windows path with its drive or UNC prefix.
    std::string strFolder = args[1];
    bool bWindows = strFolder.size() >= 2 && (strFolder[1] == ':' || strFolder[0] == '\\');
    if (!bWindows && ToWindowsForm(args[1], strFolder) != 0) {
        std::cerr << "tqctl: the folder " << args[1] << " has no Windows form\n";
        return kExitFailed;
    }
    if (strFolder.back() != '\\') {
        strFolder += '\\';
    }
    for (const auto& widget : kWidgets) {
        if (args[0] != widget.m_pszName) {
            continue;
        }
        // Drawn offscreen unless the caller chose a platform.
        std::string strPlatform;
        if (GetEnvironmentVariable("QT_QPA_PLATFORM", strPlatform) != 0) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        int nArgc = 1;
        char szName[] = "tqctl";
        char* argv[] = {szName, nullptr};
        QApplication application(nArgc, argv);
        LoadToolkitTranslations(QLocale());
        QPixmap picture = widget.m_shoot(strFolder);
        // Written beside OUT and put in its place only when whole: a write that fails part way
        // (a full disk, a size limit) leaves the picture that was there before. The buffered
        // bytes are flushed here because neither the picture's own save to a path nor the
        // commit notices a flush that fails when the file closes; an uncommitted file is
        // removed.
        QSaveFile file(QString::fromStdString(args[2]));
        if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.flush() ||
            !file.commit()) {
            std::cerr << "tqctl: cannot write " << args[2] << "\n";
            return kExitFailed;
        }
        return kExitOk;
    }
    std::cerr << "tqctl: no widget " << args[0] << "\n";
    return kExitUsage;
}

}  // namespace tq::tqctl
