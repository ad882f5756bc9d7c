// The window over one product: the databases in their three sections with the selection's check
// boxes and the markers, the buttons and keys of Add, Edit, Remove, Save and Revert, the edit
// status in the status bar. The rules and texts are WindowRules'; the product is the session's.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ProductSession.h"
#include "WindowRules.h"
#include "dialogs/toolkit/QtMessageBox.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace tq::customize {

class CMainWindow : public QMainWindow {
    Q_OBJECT

public:
    // strProduct: the product key in code page 932. The list loads once the window is shown.
    explicit CMainWindow(std::string strProduct, QWidget* pParent = nullptr);
    ~CMainWindow() override;

    const CWindowState& GetState() const { return m_state; }
    QTreeWidget* GetList() const { return m_pList; }
    QPushButton* GetButton(CAction action) const;
    // How often a product held by someone else is asked again, in milliseconds.
    void SetPollInterval(int nMs);
    // Whether a product that cannot be loaded is reported in a message box (the default) or
    // only in the state, for a caller that reports it itself.
    void SetReportFailures(bool bReport) { m_bReportFailures = bReport; }

    void Add(const std::vector<std::string>& targets = {});
    void Edit();
    void Remove();
    // true when the changes are saved (or there were none).
    bool Save();
    void Revert();

signals:
    // The list is shown, or the product could not be loaded.
    void LoadEnded();

protected:
    void showEvent(QShowEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void CreateList(QWidget* pParent);
    void ConnectActions();
    void RestorePlacement();
    void StartLoad();
    void FinishLoad(int32_t lResult, int32_t lStatus, std::vector<CDatabaseRow> rows);
    void ShowProgress(int32_t lDone, int32_t lTotal);
    void ReportFailure(int32_t lCode);
    void Poll();
    void FillList();
    void SetRowItem(QTreeWidgetItem* pItem, const CDatabaseRow& row);
    void OnItemChanged(QTreeWidgetItem* pItem, int nColumn);
    void ToggleCurrent();
    // The database of a row of the list; null for a section's row or none.
    CDatabaseRow* GetRow(QTreeWidgetItem* pItem);
    // The current database (and its row of the list); null when none is current.
    CDatabaseRow* GetCurrentRow(QTreeWidgetItem** ppItem = nullptr);
    void Update();
    void ShowError(int32_t lCode);
    void UpdateIndexMarkers();
    void StopWorker();

    // The component's questions and warnings, above the window or its dialog that is active.
    CQtMessageBoxScope m_messageBoxes;
    std::string m_strProduct;
    std::string
        m_strTitle;  // the product's display name once known (the session's is the worker's)
    CProductSession m_session;
    CWindowState m_state;
    std::vector<CDatabaseRow> m_sections[3];  // fixed, selection-type, free-type
    std::thread m_worker;
    bool m_bFilling = false;
    bool m_bStarted = false;
    bool m_bReportFailures = true;

    QTreeWidget* m_pList;
    QTreeWidgetItem* m_pSectionItems[3];
    QPushButton* m_pButtons[5];
    QLabel* m_pStatus;
    QProgressBar* m_pProgress;
    QTimer* m_pPoll;
};

}  // namespace tq::customize
