#pragma once

#include "questionrecord.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

class PracticeWindow;
class QComboBox;
class QWidget;

inline QString nextTestConnectionName()
{
    static int serial = 0;
    return QStringLiteral("qv_test_%1").arg(++serial);
}

// Runs fn on a connection of its own to the file at path (as it is, without the program's checks), then removes it.
template<typename Fn>
auto withTestConnection(const QString &path, Fn fn)
{
    const QString name = nextTestConnectionName();
    decltype(fn(std::declval<QSqlDatabase &>())) result{};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open())
            result = fn(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

// A bank of its own for one test: english.db built from the rows and the catalogue, pointed at, in a temporary
// folder made the working folder (the program opens the bank by relative name).
class TempBank
{
public:
    explicit TempBank(const QList<QuestionRecord> &rows,
                      const QStringList &catalogue = QStringList{QStringLiteral("全部中考试题")});
    ~TempBank();

    QString dir() const { return m_dir.path(); }
    QString dbPath() const { return m_dir.filePath(QStringLiteral("english.db")); }
    QString cataloguePath() const { return m_dir.filePath(QStringLiteral("mulu.txt")); }

    // A row as stored in the file, read through a connection of its own.
    QVariant stored(qint64 number, const QString &column) const;
    // How many rows of the file have 批阅 equal to mark.
    int countMarked(int mark) const;
    // Runs a statement on the file through a connection of its own.
    bool exec(const QString &sql) const;

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};

// n questions numbered 1..n, "Question i" with four choices, answers cycling A to D, categories cycling too.
QList<QuestionRecord> sampleRows(int n, const QStringList &categories = {QStringLiteral("甲类")});

// Message boxes answered by the test; the program's end recorded (from now on), not acted on.
void setUpGuiTesting();
bool programEnded();
// Unloads every window and lets the unloaded ones be destroyed.
void closeAllWindows();

// The practice window shown as the program starts it, after setUpGuiTesting().
PracticeWindow *showPracticeWindow();
// The same, loaded but not yet shown.
PracticeWindow *openPracticeWindow();
// Clicks a push button by object name; it must exist and be enabled, so a click that does nothing never passes.
void clickButton(QWidget *window, const QString &name);
// The texts of the message boxes shown since they were last cleared.
QStringList shownTexts();
// A category picked from a window's list, as the user picks it.
void pickCategory(QComboBox *list, const QString &label);
// Text as an input method hands it over (Chinese, emoji and the like).
void typeIn(QWidget *box, const QString &text);
