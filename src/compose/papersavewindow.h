#pragma once

#include "programwindow.h"

#include "paper.h"

#include <functional>
#include <optional>

class FolderList;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// "保存试卷和答案": picks a drive, a folder and a name, and writes one of the
// composition window's papers there with its answers. One window saves the
// random paper, another the manual one; each keeps its own state.
class PaperSaveWindow : public ProgramWindow
{
    Q_OBJECT
public:
    enum class PaperKind { RandomPaper, ManualPaper };
    // The paper and its answers as the composition window holds them now;
    // nothing once that window is closed.
    using PaperSource = std::function<std::optional<PaperBuffers>()>;

    PaperSaveWindow(const QString &windowName, PaperKind kind, PaperSource source, QWidget *parent = nullptr);

    void onLoad() override;

    QComboBox *driveList() const { return m_driveList; }
    FolderList *folderList() const { return m_folderList; }
    QListWidget *fileList() const { return m_fileList; }
    QLineEdit *pathBox() const { return m_pathBox; }
    QLineEdit *extensionBox() const { return m_extensionBox; }
    QLineEdit *nameBox() const { return m_nameBox; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    void save();
    void cancel();
    void onDriveChanged();
    void onFolderChanged();
    void onNameEntered();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillDriveList();
    void showDriveOf(const QString &folder);
    void sayPaperIsGone();

    PaperKind m_kind;
    PaperSource m_paperSource;
    QComboBox *m_driveList = nullptr;
    FolderList *m_folderList = nullptr;
    QListWidget *m_fileList = nullptr;
    QLineEdit *m_pathBox = nullptr;
    QLineEdit *m_extensionBox = nullptr;
    QLineEdit *m_nameBox = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
