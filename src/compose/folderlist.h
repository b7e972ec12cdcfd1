#pragma once

#include <QTreeWidget>

// The folder list of a save window: the open folder with the folders above
// it, from the root down, and the folders inside it. Double-click or Enter
// on a folder opens it.
class FolderList : public QTreeWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    // Opens a folder. A folder that does not exist or cannot be read is not
    // opened: false, and the list stays as it was.
    bool setPath(const QString &path);
    // The open folder (not merely the highlighted one), with "/" separators.
    QString path() const { return m_path; }

signals:
    void changed();

private:
    void openItem(QTreeWidgetItem *item);

    QString m_path;
};
