#include "folderlist.h"

#include <QDir>
#include <QFileIconProvider>
#include <QHeaderView>

namespace {
constexpr int kPathRole = Qt::UserRole;
} // namespace

FolderList::FolderList(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(12);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) { openItem(item); });
}

bool FolderList::setPath(const QString &path)
{
    const QDir dir(path);
    if (path.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    const QString absolute = QDir::cleanPath(dir.absolutePath());

    // The chain from the root down to the folder itself.
    QStringList chain;
    QDir walker(absolute);
    chain.prepend(walker.absolutePath());
    while (!walker.isRoot() && walker.cdUp())
        chain.prepend(walker.absolutePath());

    clear();
    QFileIconProvider icons;
    QTreeWidgetItem *parentItem = nullptr;
    for (const QString &folder : chain) {
        const QDir d(folder);
        const QString text = d.isRoot() ? QDir::toNativeSeparators(folder) : d.dirName();
        auto *item = parentItem ? new QTreeWidgetItem(parentItem, {text}) : new QTreeWidgetItem(this, {text});
        item->setData(0, kPathRole, folder);
        item->setIcon(0, icons.icon(QFileIconProvider::Folder));
        item->setExpanded(true);
        parentItem = item;
    }
    QTreeWidgetItem *current = parentItem;
    const QStringList inside = QDir(absolute).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                        QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString &name : inside) {
        auto *item = new QTreeWidgetItem(current, {name});
        item->setData(0, kPathRole, QDir(absolute).filePath(name));
        item->setIcon(0, icons.icon(QFileIconProvider::Folder));
    }
    current->setExpanded(true);
    setCurrentItem(current);
    scrollToItem(current);

    const bool moved = absolute != m_path;
    m_path = absolute;
    if (moved)
        emit changed();
    return true;
}

void FolderList::openItem(QTreeWidgetItem *item)
{
    if (item)
        setPath(item->data(0, kPathRole).toString());
}
