// tqcustomize: the desktop window in which a user of the product chooses which databases are
// searched and adds, edits and removes applications of their own. Exit status: 0, 1 when the
// window cannot open (or, with --quit-after-load, the list could not be loaded), 2 for a bad
// command line.
#include <xcb/xcb.h>

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "MainWindow.h"
#include "ProductFiles.h"
#include "hostclient/HostOptions.h"
#include "platform/Cp932.h"
#include "platform/Path.h"

namespace {

constexpr const char* kUsage =
    "usage: tqcustomize [--prefix DIR] [--product KEY] [--quit-after-load]\n"
    "  --prefix DIR       the prefix (else $TQ_PREFIX, else the default one)\n"
    "  --product KEY      the product: HKLM\\SOFTWARE\\Orbanworks\\Trellisquest\\KEY\n"
    "                     (else $TQ_PRODUCT, else the one product installed)\n"
    "  --quit-after-load  quit once the list is shown (exit status 0) or could not be loaded\n"
    "  --shot OUT.png [WIZARD.png FILE...]\n"
    "                     draw the window once the list is shown into OUT.png, and the add\n"
    "                     wizard opened with the files into WIZARD.png, then quit\n";

int Usage(const std::string& strWhy) {
    std::cerr << "tqcustomize: " << strWhy << "\n\n" << kUsage;
    return 2;
}

std::string ReadVariable(const char* pszName) {
    const char* psz = std::getenv(pszName);
    return psz != nullptr ? psz : "";
}

// Qt ends the process when it cannot connect to its X display, so the X server is asked first,
// as the component asks it before its dialogs. A platform chosen through QT_QPA_PLATFORM other
// than X, or else a Wayland display, answers for itself.
bool HasDisplay() {
    const std::string strPlatform = ReadVariable("QT_QPA_PLATFORM");
    if (strPlatform.empty() ? !ReadVariable("WAYLAND_DISPLAY").empty()
                            : !strPlatform.starts_with("xcb")) {
        return true;
    }
    const std::string strDisplay = ReadVariable("DISPLAY");
    if (strDisplay.empty()) {
        return false;
    }
    xcb_connection_t* pConnection = xcb_connect(strDisplay.c_str(), nullptr);
    const bool bReachable = xcb_connection_has_error(pConnection) == 0;
    xcb_disconnect(pConnection);
    return bReachable;
}

// The toolkit's own texts (the questions' buttons, the context menus) in the user's language, as
// the window's own are. The component loads them the same way for the application it makes
// itself; a host that makes its own, as this one does, loads them for it.
void LoadToolkitTranslations(QApplication& app) {
    auto* pTranslator = new QTranslator(&app);
    if (pTranslator->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(pTranslator);
    }
}

// The window into shots[0]; with shots[1] and files, the add wizard opened with them, once its
// check of the files is over, into shots[1]. Quits with 0 when every picture was written.
void TakeShots(tq::customize::CMainWindow& window, const std::vector<std::string>& shots) {
    bool bOk = window.grab().save(QString::fromStdString(shots[0]));
    if (shots.size() < 2 || !bOk) {
        QApplication::exit(bOk ? 0 : 1);
        return;
    }
    std::vector<std::string> files;
    for (size_t i = 2; i < shots.size(); ++i) {
        std::string strPath;
        if (tq::ToWindowsPath(
                QFileInfo(QString::fromStdString(shots[i])).absoluteFilePath().toStdString(),
                strPath) == 0) {
            files.push_back(strPath);
        }
    }
    auto* pTimer = new QTimer(&window);
    QObject::connect(pTimer, &QTimer::timeout, &window, [&window, &shots, pTimer, &bOk] {
        // The wizard's page, once no wait dialog stands above it.
        auto* pPage = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (pPage != nullptr && pPage->isVisible() && pPage->parentWidget() == &window) {
            pTimer->stop();
            bOk = pPage->grab().save(QString::fromStdString(shots[1]));
            pPage->reject();
        }
    });
    pTimer->start(500);
    window.Add(files);
    delete pTimer;
    QApplication::exit(bOk ? 0 : 1);
}

// Shows the window over the product until it is closed (or, with bQuitAfterLoad, until it has
// loaded; with shots, until they are drawn). The exit status.
int RunWindow(QApplication& app, const std::string& strProduct, bool bQuitAfterLoad,
              std::vector<std::string>& shots) {
    tq::customize::CMainWindow window(strProduct);
    if (bQuitAfterLoad) {
        window.SetReportFailures(false);
        QObject::connect(&window, &tq::customize::CMainWindow::LoadEnded, &app, [&window] {
            const tq::customize::CWindowState& state = window.GetState();
            if (state.m_list != tq::customize::CWindowState::CList::Loaded) {
                std::cerr << "tqcustomize: " << tq::customize::GetStatusText(state) << '\n';
            }
            QApplication::exit(state.m_list == tq::customize::CWindowState::CList::Loaded ? 0 : 1);
        });
    }
    if (!shots.empty()) {
        QObject::connect(&window, &tq::customize::CMainWindow::LoadEnded, &app,
                         [&window, &shots] { TakeShots(window, shots); });
    }
    window.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::cerr << "tqcustomize: no display (set DISPLAY to one that answers, or "
                     "QT_QPA_PLATFORM=offscreen)\n";
        return 1;
    }
    QApplication app(argc, argv);
    LoadToolkitTranslations(app);
    std::vector<std::string> args(argv + 1, argv + argc);
    const auto quit = std::find(args.begin(), args.end(), "--quit-after-load");
    const bool bQuitAfterLoad = quit != args.end();
    if (bQuitAfterLoad) {
        args.erase(quit);
    }
    std::vector<std::string> shots;
    if (const auto shot = std::find(args.begin(), args.end(), "--shot"); shot != args.end()) {
        shots.assign(shot + 1, args.end());
        args.erase(shot, args.end());
        if (shots.empty()) {
            return Usage("--shot needs OUT.png");
        }
    }
    tq::host::CHostOptions options;
    size_t i = 0;
    std::string strError;
    if (!options.Parse(args, i, strError)) {
        return Usage(strError);
    }
    if (i != args.size()) {
        return Usage("unexpected argument " + args[i]);
    }
    if (options.m_bHelp) {
        std::cout << kUsage;
        return 0;
    }
    std::string strProduct;
    if (!options.m_strProduct.empty() && tq::Utf8ToCp932(options.m_strProduct, strProduct) != 0) {
        return Usage("the product key has characters that code page 932 cannot hold");
    }
    if (!tq::host::UseHostOptions(options, strError)) {
        std::cerr << "tqcustomize: " << strError << '\n';
        return 1;
    }
    // Started from the desktop without a product: the one installed, if there is only one.
    if (strProduct.empty()) {
        const std::vector<std::string> products = tq::customize::ListProducts();
        if (products.size() != 1) {
            QMessageBox::critical(nullptr, "tqcustomize",
                                  "製品を指定してください (--product KEY または TQ_PRODUCT)");
            return Usage("no product: give --product KEY or set TQ_PRODUCT");
        }
        strProduct = products[0];
    }
    return RunWindow(app, strProduct, bQuitAfterLoad, shots);
}
