// The contents of the file list: the rows of one folder's subfolders and of the files the
// filter lets through, their detail texts, their order and their selection. The toolkit's list
// widget shows it: it asks which rows there are, in which order, with which texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "browse/FileFilter.h"
#include "browse/FileInfoProvider.h"
#include "browse/FileListItem.h"
#include "browse/FileListSort.h"
#include "browse/ListLocale.h"
#include "browse/ListSelection.h"
#include "platform/File.h"

namespace tq {

constexpr int32_t kViewDetails = 1;
constexpr int32_t kViewList = 3;

// Receives one line per entry left out because of its name.
using ListLogSink = std::function<void(const std::string& strLine)>;

class CFileListModel {
public:
    // The plain provider and the default locale.
    CFileListModel();
    // provider and locale must outlive the model.
    CFileListModel(const CFileInfoProvider& provider, const CListLocale& locale);

    // Where lines about left-out entries go (standard error until set).
    void SetLogSink(ListLogSink sink) { m_log = std::move(sink); }

    // kViewDetails or kViewList; switching to the details view makes the detail texts of the
    // rows that have none yet.
    void SetView(int32_t nView);
    int32_t GetView() const { return m_nView; }
    // Adds the extensions of a '|'-separated text to the filter (see CFileFilter); the rows
    // stay as they are until the next fill.
    void SetFilter(const std::string& strText) { m_filter.AddExtensions(strText); }

    // Fills the rows from the folder unless it is the shown folder already (ignoring case) and
    // bForce is false. A folder that cannot be searched gives no rows.
    void ShowFolder(const std::string& strFolder, bool bForce);
    // Fills the rows again from the shown folder.
    void Refresh();
    const std::string& GetFolder() const { return m_strFolder; }

    size_t GetRowCount() const { return m_items.size(); }
    // The record of a row; nullptr for an index out of range.
    const CFileListItem* GetItem(size_t nRow) const;
    // The text of a cell: the display name in column 0, the detail texts in the others (empty
    // until the details view has shown the row); empty out of range.
    std::string GetCellText(size_t nRow, int32_t nColumn) const;

    int32_t GetSortKey() const { return m_nSortKey; }
    // A click on a column's header: the column's order, or its reverse when it is the order
    // already; the rows are sorted by it. The order stays when another folder is shown.
    void ClickHeader(int32_t nColumn);

    CListSelection& GetSelection() { return m_selection; }
    const CListSelection& GetSelection() const { return m_selection; }
    // Whether a selected row is a file.
    bool HasSelectedFile() const;
    // The records of the selected rows that are files, in row order: what Add checks.
    std::vector<const CFileListItem*> GetSelectedFiles() const;
    // No row selected; the focus mark on row 0 (nothing on an empty list).
    void ClearSelection() { m_selection.Clear(); }
    // Whether the Enter key belongs to the list (to open the folder or clear the selection)
    // rather than to the dialog's default button: when no selected row is a file.
    bool IsEnterForList() const;

private:
    void Fill();
    // Adds the row of an entry that has been judged a keeper.
    void AddRow(const std::string& strFolder, const CFindData& entry);
    void MakeDetails(CFileListItem& item) const;
    void Sort();

    const CFileInfoProvider& m_provider;
    const CListLocale& m_locale;
    ListLogSink m_log;
    std::string m_strFolder;
    CFileFilter m_filter;
    int32_t m_nView = kViewList;
    int32_t m_nSortKey = kSortByName;
    std::vector<CFileListItem> m_items;
    CListSelection m_selection;
};

}  // namespace tq
