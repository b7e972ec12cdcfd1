// Importing a teacher's file and exporting the bank from the program itself, through its windows.
#include "bankbuilder.h"
#include "bankfile.h"
#include "codepage.h"
#include "faultsupport.h"
#include "filechooser.h"
#include "messagebox.h"
#include "practicewindow.h"
#include "questionimportwindow.h"
#include "banksources.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲类")};

// Why a bank cannot take the imported rows.
enum Obstacle { ChangedBank, ReadOnlyBank, LockedBank };

// A header, a question with its category and explanation, one without a category, and question 2 of the
// bank again with its choices shuffled.
const QString kTsv = QStringLiteral("类别\t试题\tA\tB\tC\tD\t答案\t解析\r\n"
                                    "乙类\tNew one ______.\ta\tb\tc\td\tB\t新题一的解析\r\n"
                                    "\tNo category ______.\ta\tb\tc\td\tC\r\n"
                                    "甲类\tquestion 2  ______.\tfour\tthree\ttwo\tone\tA\r\n");

// 导入试题… with the file dialog answered by path.
QuestionImportWindow *previewThroughMenu(PracticeWindow *form, const QString &path)
{
    FileChooser::setChooser([path](QWidget *, const FileChooser::Request &) { return FileChooser::Choice{path, 0}; });
    form->menuAction(QStringLiteral("DRST"))->trigger();
    return WindowRegistry::instance().findWindow<QuestionImportWindow>(QStringLiteral("frmImport"));
}

QStringList tableColumn(QTableWidget *table, int column)
{
    QStringList cells;
    for (int row = 0; row < table->rowCount(); ++row)
        cells << table->item(row, column)->text();
    return cells;
}

} // namespace

class TestImportWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void aFileIsPreviewedThenRefusedByABankThatCannotTakeIt_data();
    void aFileIsPreviewedThenRefusedByABankThatCannotTakeIt();
    void aCancelChangesNothingAndTheRetryStoresThePendingPickOnce();
    void anExportReadsBackIntoAnEmptyBank_data();
    void anExportReadsBackIntoAnEmptyBank();
};

void TestImportWindow::aFileIsPreviewedThenRefusedByABankThatCannotTakeIt_data()
{
    QTest::addColumn<int>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("changed since the preview") << int(ChangedBank) << QStringLiteral("题库刚被其他程序改动过");
    QTest::newRow("read-only file") << int(ReadOnlyBank) << QStringLiteral("题库文件是只读的");
    QTest::newRow("locked by another program") << int(LockedBank) << QStringLiteral("题库正被其他程序使用");
}

void TestImportWindow::aFileIsPreviewedThenRefusedByABankThatCannotTakeIt()
{
    QFETCH(int, obstacle);
    QFETCH(QString, reason);
    TempBank bank(sampleRows(5, {QStringLiteral("甲类")}), kCatalogue);
    const QString input = writtenFile(bank.dir(), QStringLiteral("第一单元.tsv"), CodePage::encode(kTsv));
    const QByteArray catalogue = readBytes(bank.cataloguePath());
    std::unique_ptr<DriverProcess> other;
    std::unique_ptr<OrdinaryFileAccess> ordinary;
    if (obstacle == ReadOnlyBank) {
        QVERIFY(QFile::setPermissions(bank.dbPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QVERIFY(QFile::setPermissions(bank.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
        ordinary = std::make_unique<OrdinaryFileAccess>();
        QVERIFY2(ordinary->active(), "the file-system user cannot be switched: permissions would not apply");
        QVERIFY(!canWrite(bank.dbPath()));
    }
    PracticeWindow *form = openPracticeWindow();
    if (obstacle == LockedBank) {
        other = std::make_unique<DriverProcess>(bank.dir());
        QVERIFY(other->start());
        QCOMPARE(other->ask(QStringLiteral("hold")), QStringLiteral("ok"));
    }

    const QByteArray previewed = readBytes(bank.dbPath());
    QuestionImportWindow *window = previewThroughMenu(form, input);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->fileBox()->text(), QDir::toNativeSeparators(input));
    QCOMPARE(window->formatLabel()->text(), QStringLiteral("制表符分隔（TSV），编码 GB18030"));
    QCOMPARE(window->summaryLabel()->text(), QStringLiteral("2 题（另有重复 1 题，将跳过）"));
    QCOMPARE(window->categoryBox()->text(), QStringLiteral("第一单元"));
    QCOMPARE(window->duplicatesBox()->toPlainText(), input + QStringLiteral(":4: 与 english.db:题号 2 的试题重复，已跳过"));
    QVERIFY(window->problemsBox()->toPlainText().isEmpty());
    QTableWidget *table = window->questionTable();
    QCOMPARE(tableColumn(table, 0), (QStringList{QStringLiteral("乙类"), QStringLiteral("第一单元")}));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("New one ______.\nA. a\nB. b\nC. c\nD. d"));
    QCOMPARE(tableColumn(table, 2), (QStringList{QStringLiteral("B"), QStringLiteral("C")}));
    QCOMPARE(table->verticalHeaderItem(0)->text(), QStringLiteral("6")); // the 题号 it will have
    QVERIFY(window->importButton()->isEnabled());

    // An empty category box leaves the question without one: a problem, and no import.
    window->categoryBox()->clear();
    emit window->categoryBox()->editingFinished();
    QVERIFY2(window->problemsBox()->toPlainText().contains(input + QStringLiteral(":3: 类别为空")),
             qPrintable(window->problemsBox()->toPlainText()));
    QVERIFY(!window->importButton()->isEnabled());
    // The category typed there names the questions that have none.
    window->categoryBox()->setText(QStringLiteral("丙类"));
    emit window->categoryBox()->editingFinished();
    QCOMPARE(tableColumn(table, 0), (QStringList{QStringLiteral("乙类"), QStringLiteral("丙类")}));
    QVERIFY(window->importButton()->isEnabled());
    QCOMPARE(readBytes(bank.dbPath()), previewed); // a preview writes nothing

    // Another program takes question 6, the number the preview gave the first new one.
    if (obstacle == ChangedBank)
        QVERIFY(bank.exec(QStringLiteral("INSERT INTO zk VALUES (6, 'Elsewhere', 'A', '甲类', 0, 'E')")));
    const QByteArray before = readBytes(bank.dbPath());
    QElapsedTimer clock;
    clock.start();
    window->importButton()->click();
    const qint64 waited = clock.elapsed();

    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().text,
             QStringLiteral("导入的试题暂时无法存入题库（%1），没有导入任何试题。").arg(reason));
    if (obstacle == LockedBank) {
        qInfo("the import waited %lld ms for the other program", waited);
        QVERIFY2(waited >= BankFile::kBusyTimeoutMs * 8 / 10 && waited < BankFile::kBusyTimeoutMs + 3000,
                 qPrintable(QString::number(waited)));
        QCOMPARE(other->ask(QStringLiteral("release")), QStringLiteral("ok"));
    }
    ordinary.reset();
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("frmImport")));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共5题"));
    if (obstacle != LockedBank)
        QCOMPARE(readBytes(bank.dbPath()), before);
    QCOMPARE(queryNumber(bank.dbPath(), QStringLiteral("SELECT count(*) FROM zk")), obstacle == ChangedBank ? 6 : 5);
    QCOMPARE(readBytes(bank.cataloguePath()), catalogue);
    QVERIFY(QFile::setPermissions(bank.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestImportWindow::aCancelChangesNothingAndTheRetryStoresThePendingPickOnce()
{
    TempBank bank(sampleRows(5, {QStringLiteral("甲类")}), kCatalogue);
    // Every store of a row is logged with the bank's size at the time.
    QVERIFY(bank.exec(QStringLiteral("CREATE TABLE stores (bank_size)")));
    QVERIFY(bank.exec(QStringLiteral(
        "CREATE TRIGGER counted AFTER UPDATE ON zk BEGIN INSERT INTO stores SELECT count(*) FROM zk; END")));
    // Enough rows for the progress bar; every seventh without a category of its own.
    QString text;
    const int rows = 3 * QuestionImportWindow::kProgressFrom;
    for (int i = 1; i <= rows; ++i)
        text += QStringLiteral("%1\tMany %2 ______.\ta\tb\tc\td\tD\t解析 %2\r\n")
                    .arg(i % 7 ? QStringLiteral("类%1").arg(i % 7) : QString(), QString::number(i));
    const QString input = writtenFile(bank.dir(), QStringLiteral("many.tsv"), CodePage::encode(text));
    PracticeWindow *form = openPracticeWindow();
    QuestionImportWindow *window = previewThroughMenu(form, input);
    QVERIFY(window && window->importButton()->isEnabled());
    const QByteArray bankBefore = readBytes(bank.dbPath());
    const QByteArray catalogueBefore = readBytes(bank.cataloguePath());

    // The bar's own button, once a third of the rows are in.
    QList<int> values;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto *progress = window->findChild<QProgressDialog *>(QStringLiteral("ImportProgress"));
        if (!progress || !progress->isVisible() || (!values.isEmpty() && values.last() == progress->value()))
            return;
        values << progress->value();
        if (progress->value() >= rows / 3)
            progress->findChild<QPushButton *>()->click();
    });
    watcher.start(0);
    window->importButton()->click();
    watcher.stop();

    QCOMPARE(MessageBox::last().text, QStringLiteral("导入已取消，题库没有改动。"));
    QVERIFY2(values.size() >= 3 && values.last() >= rows / 3 && values.last() < rows,
             qPrintable(QString::number(values.isEmpty() ? -1 : values.last())));
    QCOMPARE(readBytes(bank.dbPath()), bankBefore);
    QCOMPARE(readBytes(bank.cataloguePath()), catalogueBefore);
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共5题"));
    QVERIFY(window->importButton()->isEnabled()); // the window stays, ready for another try

    form->optionButton(1)->click(); // a pick on question 1, not yet stored
    window->importButton()->click();
    QCOMPARE(MessageBox::last().text, QStringLiteral("已导入 %1 题（题号 6–%2），跳过重复 0 题").arg(rows).arg(rows + 5));
    QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("frmImport")));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共%1题").arg(rows + 5));
    // The pick went in once, before the import.
    QCOMPARE(queryNumber(bank.dbPath(), QStringLiteral("SELECT count(*) FROM stores")), 1);
    QCOMPARE(queryNumber(bank.dbPath(), QStringLiteral("SELECT max(bank_size) FROM stores")), 5);
    QCOMPARE(bank.countMarked(2), 1);
    QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("B"));

    // The new labels can be picked, the one the file's name gave too.
    const int index = form->categoryList()->findText(QStringLiteral("many"));
    QCOMPARE(index, 8);
    form->onCategoryPicked(index);
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共%1题").arg(rows / 7));
    QVERIFY(form->questionBox()->toPlainText().startsWith(QStringLiteral("Many 7 ______.")));
    QCOMPARE(queryNumber(bank.dbPath(), QStringLiteral("SELECT count(*) FROM stores")), 1);
}

void TestImportWindow::anExportReadsBackIntoAnEmptyBank_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("Aiken") << 0 << QStringLiteral(".txt");
    QTest::newRow("GIFT") << 1 << QStringLiteral(".gift");
}

void TestImportWindow::anExportReadsBackIntoAnEmptyBank()
{
    QFETCH(int, filter);
    QFETCH(QString, suffix);
    QTemporaryDir elsewhere;
    const QString exported = QDir(elsewhere.path()).filePath(QStringLiteral("题库"));
    QList<QuestionRecord> rows = sampleRows(6, {QStringLiteral("甲类"), QStringLiteral("乙类")});
    rows[1].explanation = QStringLiteral("第二题的解析");
    {
        TempBank bank(rows, {QStringLiteral("全部中考试题"), QStringLiteral("甲类"), QStringLiteral("乙类")});
        PracticeWindow *form = openPracticeWindow();
        FileChooser::setChooser([&](QWidget *, const FileChooser::Request &request) {
            return request.forSaving ? FileChooser::Choice{exported, filter} : FileChooser::Choice();
        });
        form->menuAction(QStringLiteral("DCTK"))->trigger();
        QCOMPARE(MessageBox::last().text, QStringLiteral("已导出 6 题到 %1").arg(exported + suffix));
        closeAllWindows();
    }

    TempBank empty({}, {QStringLiteral("全部中考试题")});
    QuestionImportWindow *window = previewThroughMenu(openPracticeWindow(), exported + suffix);
    QVERIFY(window && window->importButton()->isEnabled());
    window->importButton()->click();
    QList<QuestionRecord> back;
    QString error;
    QVERIFY2(BankBuilder::readRows(empty.dbPath(), &back, &error), qPrintable(error));
    QCOMPARE(back.size(), rows.size());
    const auto fields = [](const QuestionRecord &r) { return QStringList{r.question, r.answer, r.category, r.explanation}; };
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(fields(back.at(i)), fields(rows.at(i)));
}

QTEST_MAIN(TestImportWindow)
#include "tst_importwindow.moc"
