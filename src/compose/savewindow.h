#pragma once

#include "formbase.h"

#include <optional>
#include <utility>

class FolderList;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// "保存试卷和答案": picks a drive, a folder and a name, and writes one of the
// composition window's papers there with its answers. Form4 saves the
// intelligent paper, Form5 the manual one; each keeps its own state.
class SaveWindow : public FormBase
{
    Q_OBJECT
public:
    enum class PaperSource { IntelligentPaper, ManualPaper };

    SaveWindow(const QString &formName, PaperSource source, QWidget *parent = nullptr);

    void Form_Load() override;

    QComboBox *Drive1() const { return m_drive1; }
    FolderList *Dir1() const { return m_dir1; }
    QListWidget *File1() const { return m_file1; }
    QLineEdit *Text1() const { return m_text1; }
    QLineEdit *Text3() const { return m_text3; }
    QLineEdit *Text4() const { return m_text4; }
    QPushButton *Command1() const { return m_command1; }
    QPushButton *Command3() const { return m_command3; }

    void Command1_Click();
    void Command3_Click();
    void Drive1_Change();
    void Dir1_Change();
    void Text4_KeyPress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillDriveList();
    void showDriveOf(const QString &folder);
    // The paper and the answers as the composition window holds them now;
    // nothing when that window is no longer open.
    std::optional<std::pair<QString, QString>> paperTexts() const;
    void sayPaperIsGone();

    PaperSource m_source;
    QComboBox *m_drive1 = nullptr;
    FolderList *m_dir1 = nullptr;
    QListWidget *m_file1 = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text3 = nullptr;
    QLineEdit *m_text4 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command3 = nullptr;
};
