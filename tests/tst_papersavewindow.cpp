#include "banksources.h"
#include "faultsupport.h"
#include "folderlist.h"
#include "practicewindow.h"
#include "compositionwindow.h"
#include "messagebox.h"
#include "paper.h"
#include "papersavewindow.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <optional>

namespace {

const QString kTitle = QStringLiteral("保存试卷和答案");

WindowRegistry &registry()
{
    return WindowRegistry::instance();
}

QStringList listed(QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

// Opens the practice window, then the composition window with a three
// question paper (questions 1, 7 and 4) and a manual paper of question 1.
CompositionWindow *composeAPaper()
{
    clickButton(showPracticeWindow(), QStringLiteral("Command7"));
    CompositionWindow *form3 = registry().findWindow<CompositionWindow>(QStringLiteral("Form3"));
    form3->setUniformSourceFactory([] {
        auto next = std::make_shared<int>(0);
        return RandomDraw::UniformSource([next] { return QList<double>{0.0, 0.5, 0.25}.at((*next)++ % 3); });
    });
    form3->countBox()->setText(QStringLiteral("3"));
    clickButton(form3, QStringLiteral("Command20"));
    clickButton(form3, QStringLiteral("Command7"));
    MessageBox::clearShown();
    return form3;
}

PaperSaveWindow *openSaveWindow(CompositionWindow *form3, const QString &button = QStringLiteral("Command2"))
{
    clickButton(form3, button);
    return registry().findWindow<PaperSaveWindow>(button == QLatin1String("Command2") ? QStringLiteral("Form4")
                                                                               : QStringLiteral("Form5"));
}

// Opens a folder of the folder list with a double-click.
void openFolder(PaperSaveWindow *window, const QString &name)
{
    FolderList *dir1 = window->folderList();
    const QList<QTreeWidgetItem *> items = dir1->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(items.size() == 1, qPrintable(name));
    dir1->scrollToItem(items.first());
    const QPoint at = dir1->visualItemRect(items.first()).center();
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(dir1->viewport(), Qt::LeftButton, {}, at);
}

// Types a name and clicks 保存 (the confirmation is answered Yes unless told otherwise).
void saveAs(PaperSaveWindow *window, const QString &name)
{
    window->nameBox()->setText(name);
    clickButton(window, QStringLiteral("Command1"));
}

} // namespace

class TestSaveWindow : public QObject
{
    Q_OBJECT
private slots:
    // Every test starts with a bank of 12 questions in a folder of its own
    // and the composition window holding the papers of composeAPaper().
    void init()
    {
        MessageBox::setTestMode(true);
        m_bank.emplace(sampleRows(12));
        m_form3 = composeAPaper();
    }

    void cleanup()
    {
        closeAllWindows();
        m_bank.reset();
    }

    void asksThenWritesInTheFolderOpenedAndHides()
    {
        QVERIFY(QDir(dir()).mkdir(QStringLiteral("papers.txt"))); // a folder, not a file
        QVERIFY(QDir(dir()).mkpath(QStringLiteral("papers/old")));
        for (const char *name : {"old paper.txt", "notes.doc", "papers/x.txt"})
            QVERIFY(writeBytes(here(QString::fromLatin1(name)), "x"));
        const QStringList before = QDir(dir()).entryList(QDir::Files | QDir::Hidden);
        PaperSaveWindow *form4 = openSaveWindow(m_form3);
        QVERIFY(form4 && form4->isVisible());
        QVERIFY(form4->nameBox()->text().isEmpty());
        QCOMPARE(form4->focusWidget(), form4->saveButton());
        QCOMPARE(form4->folderList()->path(), canonical());
        QCOMPARE(listed(form4->fileList()), (QStringList{QStringLiteral("mulu.txt"), QStringLiteral("old paper.txt")}));
        // The drive list holds the mounted file systems, the root first, and
        // shows the one of the working folder.
        QCOMPARE(form4->driveList()->itemText(0), QStringLiteral("/"));
        QVERIFY(dir().startsWith(form4->driveList()->currentText()));
        // Clicking a listed file changes nothing.
        QTest::mouseClick(form4->fileList()->viewport(), Qt::LeftButton, {},
                          form4->fileList()->visualItemRect(form4->fileList()->item(1)).center());
        QVERIFY(form4->nameBox()->text().isEmpty());
        QCOMPARE(form4->folderList()->path(), canonical());
        QVERIFY(MessageBox::shown().isEmpty());

        // No name: told, and the name box gets the focus.
        saveAs(form4, QString());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("请输入文件名！"));
        QCOMPARE(MessageBox::last().title, kTitle);
        QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
        QCOMPARE(form4->focusWidget(), form4->nameBox());

        // Blanks are a name: the confirmation is asked, and No writes nothing.
        MessageBox::queueAnswer(MessageBox::No);
        saveAs(form4, QStringLiteral("   "));
        QCOMPARE(MessageBox::last().text, QStringLiteral("真的要保存试卷和答案吗？"));
        QCOMPARE(MessageBox::last().title, kTitle);
        QCOMPARE(MessageBox::last().buttons, MessageBox::YesNo);
        QCOMPARE(QDir(dir()).entryList(QDir::Files | QDir::Hidden), before);
        QVERIFY(form4->isVisible());

        // A double-click opens a folder.
        openFolder(form4, QStringLiteral("papers"));
        const QString papers = canonical() + QStringLiteral("/papers");
        QCOMPARE(form4->folderList()->path(), papers);
        QCOMPARE(listed(form4->fileList()), QStringList{QStringLiteral("x.txt")});

        // Enter in the name box moves to 保存; Enter there saves (Yes) in that
        // folder. An edit of the answers made while the save window is open is saved.
        m_form3->paperAnswerBox()->setPlainText(m_form3->paperAnswerBox()->toPlainText() + QStringLiteral("\n(edited)"));
        form4->nameBox()->clear();
        QTest::keyClicks(form4->nameBox(), QStringLiteral("abc"));
        QTest::keyClick(form4->nameBox(), Qt::Key_Return);
        QCOMPARE(form4->focusWidget(), form4->saveButton());
        MessageBox::clearShown();
        QTest::keyClick(form4->focusWidget(), Qt::Key_Return);
        QCOMPARE(MessageBox::shown().size(), 1); // the confirmation only
        const QString file = papers + QStringLiteral("/abc.txt");
        const QByteArray paper = readBytes(file);
        QCOMPARE(paper, Paper::fileBytes(m_form3->paperBox()->toPlainText(), m_form3->paperAnswerBox()->toPlainText()));
        QVERIFY(paper.endsWith("\r\n1.A;  2.C;  3.D;  \r\n(edited)\r\n"));

        // Hidden, still loaded; the next opening shows it as it was: folder, name and file list.
        QVERIFY(!form4->isVisible() && m_form3->isVisible());
        QCOMPARE(openSaveWindow(m_form3), form4);
        QCOMPARE(form4->folderList()->path(), papers);
        QCOMPARE(form4->nameBox()->text(), QStringLiteral("abc"));
        QVERIFY(!listed(form4->fileList()).contains(QStringLiteral("abc.txt")));

        // A write that fails half-way, as on a full device, is told with the
        // system's reason and keeps the old file (longer than the paper).
        QVERIFY(writeBytes(file, QByteArray(20000, 'o')));
        MessageBox::clearShown();
        {
            FileSizeLimit limit(64);
            QVERIFY(limit.active());
            clickButton(form4, QStringLiteral("Command1"));
        }
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::last().title, kTitle);
        const QString told = QStringLiteral("无法保存文件“%1”：").arg(form4->pathBox()->text());
        QVERIFY2(MessageBox::last().text.startsWith(told) && MessageBox::last().text.size() > told.size(),
                 qPrintable(MessageBox::last().text));
        QVERIFY(form4->isVisible());
        QCOMPARE(readBytes(file), QByteArray(20000, 'o'));

        // Tried again with room, the same save replaces it whole, after the one confirmation.
        MessageBox::clearShown();
        clickButton(form4, QStringLiteral("Command1"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(!form4->isVisible());
        QCOMPARE(readBytes(file), paper);

        // Up through the parent in the list; choosing the root file system opens its root folder.
        openSaveWindow(m_form3);
        openFolder(form4, QDir(dir()).dirName());
        QCOMPARE(form4->folderList()->path(), canonical());
        form4->driveList()->setCurrentIndex(0);
        emit form4->driveList()->activated(0);
        QCOMPARE(form4->folderList()->path(), QStringLiteral("/"));
        // A folder that cannot be opened leaves the list where it was.
        QVERIFY(!form4->folderList()->setPath(here(QStringLiteral("missing"))));
        QCOMPARE(form4->folderList()->path(), QStringLiteral("/"));
    }


    void theTwoWindowsKeepTheirOwnStateAndOutliveTheCompositionWindow()
    {
        PaperSaveWindow *form4 = openSaveWindow(m_form3);
        PaperSaveWindow *form5 = openSaveWindow(m_form3, QStringLiteral("Command8"));
        QVERIFY(form4 != form5 && form4->isVisible() && form5->isVisible());
        QCOMPARE(form5->focusWidget(), form5->cancelButton());

        form4->nameBox()->setText(QStringLiteral("smart"));
        saveAs(form5, QStringLiteral("manual"));
        QVERIFY(!form5->isVisible() && form4->isVisible());
        QCOMPARE(form4->nameBox()->text(), QStringLiteral("smart"));
        // Form5 wrote the manual paper, question 1 added once.
        const QByteArray manual = readBytes(here(QStringLiteral("manual.txt")));
        QCOMPARE(manual, Paper::fileBytes(m_form3->manualPaperBox()->toPlainText(), m_form3->manualAnswerBox()->toPlainText()));
        QVERIFY(manual.contains("\r\n1.A;  \r\n"));
        // The manual paper stays, and its numbering goes on.
        clickButton(m_form3, QStringLiteral("Command7"));
        QCOMPARE(m_form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.A;  2.A;  "));

        // 取消 unloads without writing and shows the composition window again (hidden
        // meanwhile); the next opening starts afresh.
        clickButton(m_form3, QStringLiteral("Command10"));
        clickButton(form4, QStringLiteral("Command3"));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form4")));
        QVERIFY(m_form3->isVisible());
        QVERIFY(!QFile::exists(here(QStringLiteral("smart.txt"))));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        form4 = openSaveWindow(m_form3);
        QVERIFY(form4->nameBox()->text().isEmpty());
        QCOMPARE(form4->folderList()->path(), canonical());

        // Once the composition window is closed there is no paper to save (and
        // no confirmation asked); 取消 then brings back no composition window.
        openSaveWindow(m_form3, QStringLiteral("Command8"));
        clickButton(m_form3, QStringLiteral("Command9"));
        MessageBox::clearShown();
        saveAs(form5, QStringLiteral("abc"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().title, kTitle);
        QCOMPARE(MessageBox::last().text, QStringLiteral("“电脑组卷”窗口已经关闭，这份试卷已不存在，无法保存。"));
        QVERIFY(!QFile::exists(here(QStringLiteral("abc.txt"))));
        QVERIFY(form5->isVisible());
        clickButton(form5, QStringLiteral("Command3"));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form5")));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
    }

private:
    QString dir() const { return m_bank->dir(); }
    QString canonical() const { return QDir(dir()).canonicalPath(); }
    QString here(const QString &name) const { return QDir(dir()).filePath(name); }

    std::optional<TempBank> m_bank;
    CompositionWindow *m_form3 = nullptr;
};

QTEST_MAIN(TestSaveWindow)
#include "tst_papersavewindow.moc"
