#include "testsupport.h"

#include "bankbuilder.h"
#include "catalogue.h"
#include "allwindows.h"
#include "filechooser.h"
#include "messagebox.h"
#include "practicewindow.h"
#include "windowregistry.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {
bool ended = false;
} // namespace

TempBank::TempBank(const QList<QuestionRecord> &rows, const QStringList &catalogue)
    : m_previousDir(QDir::currentPath())
{
    QVERIFY(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
    QString error;
    const bool built = BankBuilder::createBank(dbPath(), rows, &error);
    QVERIFY2(built, qPrintable(error));
    QFile file(cataloguePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(BankBuilder::catalogueBytes(catalogue));
    file.close();
    Catalogue::setPathOverride(cataloguePath());
}

TempBank::~TempBank()
{
    Catalogue::setPathOverride(QString());
    QDir::setCurrent(m_previousDir);
}

QString TempBank::dbPath() const
{
    return m_dir.filePath(QStringLiteral("english.db"));
}

QString TempBank::cataloguePath() const
{
    return m_dir.filePath(QStringLiteral("mulu.txt"));
}

QVariant TempBank::stored(qint64 number, const QString &column) const
{
    return withTestConnection(dbPath(), [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT \"%1\" FROM zk WHERE \"题号\" = ?").arg(column));
        q.addBindValue(number);
        return (q.exec() && q.next()) ? q.value(0) : QVariant();
    });
}

int TempBank::countMarked(int mark) const
{
    return withTestConnection(dbPath(), [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT count(*) FROM zk WHERE \"批阅\" = ?"));
        q.addBindValue(mark);
        return (q.exec() && q.next()) ? q.value(0).toInt() : -1;
    });
}

bool TempBank::exec(const QString &sql) const
{
    return withTestConnection(dbPath(), [&](QSqlDatabase &db) { return QSqlQuery(db).exec(sql); });
}

QList<QuestionRecord> sampleRows(int n, const QStringList &categories)
{
    QList<QuestionRecord> rows;
    const QString letters = QStringLiteral("ABCD");
    for (int i = 1; i <= n; ++i) {
        QuestionRecord r;
        r.number = i;
        r.question = QStringLiteral("Question %1 ______.\nA. one\nB. two\nC. three\nD. four").arg(i);
        r.answer = QString(letters.at((i - 1) % 4));
        r.category = categories.at((i - 1) % categories.size());
        rows << r;
    }
    return rows;
}

void setUpGuiTesting()
{
    static bool registered = false;
    if (!registered) {
        registerAllWindows();
        registered = true;
    }
    MessageBox::setTestMode(true);
    // A file dialog a test did not answer is cancelled, never shown.
    FileChooser::setChooser([](QWidget *, const FileChooser::Request &) { return FileChooser::Choice(); });
    WindowRegistry::instance().setOnEmpty([] { ended = true; });
}

bool programEnded()
{
    return ended;
}

void resetProgramEnded()
{
    ended = false;
}

void closeAllWindows()
{
    WindowRegistry::instance().reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString nextTestConnectionName()
{
    static int serial = 0;
    return QStringLiteral("qv_test_%1").arg(++serial);
}

PracticeWindow *showPracticeWindow()
{
    setUpGuiTesting();
    resetProgramEnded();
    return qobject_cast<PracticeWindow *>(WindowRegistry::instance().show(QStringLiteral("Form1")));
}

PracticeWindow *openPracticeWindow()
{
    setUpGuiTesting();
    resetProgramEnded();
    return WindowRegistry::instance().window<PracticeWindow>(QStringLiteral("Form1"));
}

void clickButton(QWidget *window, const QString &name)
{
    auto *button = window->findChild<QPushButton *>(name);
    QVERIFY2(button, qPrintable(name));
    QVERIFY2(button->isEnabled(), qPrintable(name));
    button->click();
}

void pickCategory(QComboBox *list, const QString &label)
{
    const int index = list->findText(label, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(label));
    list->setCurrentIndex(index);
    emit list->activated(index);
}

QStringList shownTexts()
{
    QStringList texts;
    for (const MessageBox::Shown &box : MessageBox::shown())
        texts << box.text;
    return texts;
}

void typeIn(QWidget *box, const QString &text)
{
    box->setFocus();
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(box, &event);
}
