// The desktop's file information for the file list and the location box: icons from the
// toolkit's icon provider and the desktop's icon theme, type names from the MIME database.
// Display names are the names themselves, as the desktop shows them.
#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <vector>

#include "browse/FileInfoProvider.h"

namespace tq {

class CQtFileInfoProvider : public CFileInfoProvider {
public:
    CQtFileInfoProvider();

    std::string GetDisplayName(const std::string& strPath) const override;
    std::string GetTypeName(const std::string& strPath, bool bFolder) const override;
    int32_t GetIconIndex(const std::string& strPath, bool bFolder, uint32_t nForms) const override;
    // The icon of an index given out above; an empty icon for any other.
    QIcon GetIcon(int32_t nIndex) const;

private:
    // The index of the icon kept under the key, made by makeIcon the first time.
    template <typename MakeIcon>
    int32_t IconIndexOf(const QString& strKey, MakeIcon makeIcon) const;

    CPlainFileInfoProvider m_plain;
    QFileIconProvider m_icons;
    QMimeDatabase m_mimes;
    // One icon per kind of entry, not per entry: a folder of many files shares a handful.
    mutable std::vector<QIcon> m_iconList;
    mutable QHash<QString, int32_t> m_iconIndex;
};

}  // namespace tq
