#include "testsupport.h"

#include "allwindows.h"
#include "bankbuilder.h"
#include "banksources.h"
#include "catalogue.h"
#include "filechooser.h"
#include "messagebox.h"
#include "practicewindow.h"
#include "windowregistry.h"

#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

static bool ended = false;

TempBank::TempBank(const QList<QuestionRecord> &rows, const QStringList &catalogue)
    : m_previousDir(QDir::currentPath())
{
    QVERIFY(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
    QString error;
    QVERIFY2(BankBuilder::createBank(dbPath(), rows, &error), qPrintable(error));
    QVERIFY(writeBytes(cataloguePath(), BankBuilder::catalogueBytes(catalogue)));
    Catalogue::setPathOverride(cataloguePath());
}

TempBank::~TempBank()
{
    Catalogue::setPathOverride(QString());
    QDir::setCurrent(m_previousDir);
}

QVariant TempBank::stored(qint64 number, const QString &column) const
{
    return withTestConnection(dbPath(), [&](QSqlDatabase &db) {
        QSqlQuery q(QStringLiteral("SELECT \"%1\" FROM zk WHERE \"题号\" = %2").arg(column).arg(number), db);
        return q.next() ? q.value(0) : QVariant();
    });
}

int TempBank::countMarked(int mark) const
{
    return withTestConnection(dbPath(), [&](QSqlDatabase &db) {
        QSqlQuery q(QStringLiteral("SELECT count(*) FROM zk WHERE \"批阅\" = %1").arg(mark), db);
        return q.next() ? q.value(0).toInt() : -1;
    });
}

bool TempBank::exec(const QString &sql) const
{
    return withTestConnection(dbPath(), [&](QSqlDatabase &db) { return QSqlQuery(db).exec(sql); });
}

QList<QuestionRecord> sampleRows(int n, const QStringList &categories)
{
    QList<QuestionRecord> rows;
    for (int i = 1; i <= n; ++i) {
        QuestionRecord r;
        r.number = i;
        r.question = QStringLiteral("Question %1 ______.\nA. one\nB. two\nC. three\nD. four").arg(i);
        r.answer = QString(QChar(u'A' + (i - 1) % 4));
        r.category = categories.at((i - 1) % categories.size());
        rows << r;
    }
    return rows;
}

void setUpGuiTesting()
{
    registerAllWindows(); // again replaces the same factories
    MessageBox::setTestMode(true);
    // A file dialog a test did not answer is cancelled, never shown.
    FileChooser::setChooser([](QWidget *, const FileChooser::Request &) { return FileChooser::Choice(); });
    ended = false;
    WindowRegistry::instance().setOnEmpty([] { ended = true; });
}

bool programEnded()
{
    return ended;
}

void closeAllWindows()
{
    WindowRegistry::instance().reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

PracticeWindow *showPracticeWindow()
{
    setUpGuiTesting();
    return qobject_cast<PracticeWindow *>(WindowRegistry::instance().show(QStringLiteral("Form1")));
}

PracticeWindow *openPracticeWindow()
{
    setUpGuiTesting();
    return WindowRegistry::instance().window<PracticeWindow>(QStringLiteral("Form1"));
}

void clickButton(QWidget *window, const QString &name)
{
    auto *button = window->findChild<QPushButton *>(name);
    QVERIFY2(button && button->isEnabled(), qPrintable(name));
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
