#include "dialogs/QtFileInfoProvider.h"

#include <QMimeType>

#include "dialogs/QtText.h"
#include "platform/Cp932.h"
#include "platform/Path.h"

namespace tq {

CQtFileInfoProvider::CQtFileInfoProvider() {
    // Icons of every kind of file come from the MIME database, not from reading the files.
    m_icons.setOptions(QFileIconProvider::DontUseCustomDirectoryIcons);
}

std::string CQtFileInfoProvider::GetDisplayName(const std::string& strPath) const {
    // The location box's folder paths are lower-cased; the name shown is the one on disk.
    std::string strLinux;
    bool bFolder = !strPath.empty() && strPath.back() == '\\';
    if (bFolder && m_plain.GetIconIndex(strPath, true, 0) != kIconDrive &&
        ResolvePath(strPath, strLinux) == 0) {
        while (strLinux.size() > 1 && strLinux.back() == '/') {
            strLinux.pop_back();
        }
        std::string strName;
        if (Utf8ToCp932(strLinux.substr(strLinux.rfind('/') + 1), strName) == 0 &&
            !strName.empty()) {
            return strName;
        }
    }
    return m_plain.GetDisplayName(strPath);
}

std::string CQtFileInfoProvider::GetTypeName(const std::string& strPath, bool bFolder) const {
    if (bFolder) {
        return m_plain.GetTypeName(strPath, bFolder);
    }
    // By the name only: reading every file's first bytes would make a large folder slow.
    QMimeType mime =
        m_mimes.mimeTypeForFile(QStringFromCp932(strPath), QMimeDatabase::MatchExtension);
    std::string strType;
    if (mime.isDefault() || !Cp932FromQString(mime.comment(), strType) || strType.empty()) {
        return m_plain.GetTypeName(strPath, bFolder);
    }
    return strType;
}

template <typename MakeIcon>
int32_t CQtFileInfoProvider::IconIndexOf(const QString& strKey, MakeIcon makeIcon) const {
    auto it = m_iconIndex.constFind(strKey);
    if (it != m_iconIndex.constEnd()) {
        return it.value();
    }
    auto nIndex = static_cast<int32_t>(m_iconList.size());
    m_iconList.push_back(makeIcon());
    m_iconIndex.insert(strKey, nIndex);
    return nIndex;
}

int32_t CQtFileInfoProvider::GetIconIndex(const std::string& strPath, bool bFolder,
                                          uint32_t nForms) const {
    if (bFolder) {
        bool bDrive = m_plain.GetIconIndex(strPath, true, 0) == kIconDrive;
        if (bDrive) {
            return IconIndexOf(QStringLiteral(":drive"),
                               [&] { return m_icons.icon(QFileIconProvider::Drive); });
        }
        if (nForms & kIconFormOpen) {
            return IconIndexOf(QStringLiteral(":folder-open"), [&] {
                return QIcon::fromTheme(QStringLiteral("folder-open"),
                                        m_icons.icon(QFileIconProvider::Folder));
            });
        }
        return IconIndexOf(QStringLiteral(":folder"),
                           [&] { return m_icons.icon(QFileIconProvider::Folder); });
    }
    QMimeType mime =
        m_mimes.mimeTypeForFile(QStringFromCp932(strPath), QMimeDatabase::MatchExtension);
    return IconIndexOf(mime.name(), [&] {
        return QIcon::fromTheme(
            mime.iconName(),
            QIcon::fromTheme(mime.genericIconName(), m_icons.icon(QFileIconProvider::File)));
    });
}

QIcon CQtFileInfoProvider::GetIcon(int32_t nIndex) const {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_iconList.size()) {
        return QIcon();
    }
    return m_iconList[static_cast<size_t>(nIndex)];
}

}  // namespace tq
