// Runs the built qvbank program and looks at its exit codes, its messages and
// the files it leaves behind.
#include "bankbuilder.h"
#include "banksources.h"
#include "catalogue.h"
#include "codepage.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run qvbank(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QVBANK_PATH), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.code = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Changes a bank the way a user correcting a question would.
bool correctQuestion(const QString &dbPath, qint64 number, const QString &answer)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("correct"));
        db.setDatabaseName(dbPath);
        if (db.open()) {
            QSqlQuery q(db);
            q.prepare(QStringLiteral("UPDATE zk SET \"答案\" = ? WHERE \"题号\" = ?"));
            q.addBindValue(answer);
            q.addBindValue(number);
            ok = q.exec() && q.numRowsAffected() == 1;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("correct"));
    return ok;
}

} // namespace

class TestBankTool : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void helpAndUsageErrors();
    void checkNamesFileAndLine();
    void buildChecksTheSourcesFirst();
    void buildNeverReplacesABank();
    void aKeptBankGetsItsOwnCatalogue();
    void createNeverOverwrites();
    void exportImportThroughTheProgram();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString writeSource(const QString &name, const QString &text) const;
};

void TestBankTool::init()
{
    m_dir = std::make_unique<QTemporaryDir>(); // each test works in a fresh folder
    QVERIFY(m_dir->isValid());
}

QString TestBankTool::writeSource(const QString &name, const QString &text) const
{
    const QString file = path(name);
    if (!writeBytes(file, text.toUtf8()))
        qWarning("cannot write %s", qPrintable(file));
    return file;
}

void TestBankTool::helpAndUsageErrors()
{
    const Run help = qvbank({QStringLiteral("--help")});
    QCOMPARE(help.code, 0);
    QVERIFY(help.out.contains(QStringLiteral("退出码")));
    for (const QString &command : {QStringLiteral("build"), QStringLiteral("check"), QStringLiteral("create"),
                                   QStringLiteral("import"), QStringLiteral("export")})
        QVERIFY2(help.out.contains(QStringLiteral("  ") + command + QLatin1Char(' ')), qPrintable(command));
    for (const QString &option : {QStringLiteral("--require-explanations"), QStringLiteral("--with-explanations")})
        QVERIFY2(help.out.contains(option), qPrintable(option));
    QCOMPARE(qvbank({QStringLiteral("import"), QStringLiteral("--help")}).code, 0);

    QCOMPARE(qvbank({}).code, 2);
    const Run unknown = qvbank({QStringLiteral("frob")});
    QCOMPARE(unknown.code, 2);
    QVERIFY(unknown.err.contains(QStringLiteral("frob")));
    const Run missing = qvbank({QStringLiteral("import"), QStringLiteral("--db"), path(QStringLiteral("e.db")),
                                path(QStringLiteral("in.txt"))});
    QCOMPARE(missing.code, 2);
    QVERIFY(missing.err.contains(QStringLiteral("--catalogue")));
    QCOMPARE(qvbank({QStringLiteral("check"), QStringLiteral("--bogus"), path(QStringLiteral("a.txt"))}).code, 2);
    QCOMPARE(qvbank({QStringLiteral("export"), QStringLiteral("--db"), path(QStringLiteral("e.db")),
                     QStringLiteral("--format"), QStringLiteral("gift")})
                 .code,
             2);
}

void TestBankTool::checkNamesFileAndLine()
{
    QStringList blocks = sampleBlocks(8);
    blocks[5] = aikenBlock(QStringLiteral("Broken ______."), {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")},
                           QStringLiteral("A"));
    const QString text = aikenSource(QStringLiteral("冠词"), blocks);
    const QString bad = writeSource(QStringLiteral("bad.txt"), text);
    const Run run = qvbank({QStringLiteral("check"), bad});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(QStringLiteral("%1:%2: ").arg(bad).arg(lineOf(text, QStringLiteral("Broken ______.")))),
             qPrintable(run.err));

    const QString good = writeSource(QStringLiteral("good.txt"), aikenSource(QStringLiteral("冠词"), sampleBlocks(8)));
    QCOMPARE(qvbank({QStringLiteral("check"), good}).code, 0);
    // Explanations are required only when asked for.
    const Run unexplained = qvbank({QStringLiteral("check"), QStringLiteral("--require-explanations"), good});
    QCOMPARE(unexplained.code, 1);
    QCOMPARE(unexplained.err.count(QStringLiteral("没有解析")), 8);
    QVERIFY2(unexplained.err.contains(good + QStringLiteral(":3: ")), qPrintable(unexplained.err));
    QCOMPARE(qvbank({QStringLiteral("check"), path(QStringLiteral("absent.txt"))}).code, 3);
}

void TestBankTool::buildChecksTheSourcesFirst()
{
    // Sound in form, but every answer is A: the check fails and nothing is made.
    const QString source = writeSource(QStringLiteral("a.txt"),
                                       aikenSource(QStringLiteral("冠词"), sampleBlocks(8, QStringLiteral("A"))));
    const Run run = qvbank({QStringLiteral("build"), QStringLiteral("--if-missing"), QStringLiteral("--db"),
                            path(QStringLiteral("english.db")), QStringLiteral("--catalogue"),
                            path(QStringLiteral("mulu.txt")), source});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.err.contains(source + QStringLiteral(":3: ")), qPrintable(run.err));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("a.txt")}); // no bank, no catalogue, no leftover temporary file
}

void TestBankTool::buildNeverReplacesABank()
{
    const QString source = writeSource(QStringLiteral("a.txt"), aikenSource(QStringLiteral("冠词"), sampleBlocks(8)));
    const QStringList build{QStringLiteral("build"), QStringLiteral("--if-missing"), QStringLiteral("--db"),
                            path(QStringLiteral("english.db")), QStringLiteral("--catalogue"),
                            path(QStringLiteral("mulu.txt")), source};
    const Run first = qvbank(build);
    QVERIFY2(first.code == 0, qPrintable(first.err));
    QList<QuestionRecord> rows;
    QString error;
    QVERIFY2(BankBuilder::readRows(path(QStringLiteral("english.db")), &rows, &error), qPrintable(error));
    QCOMPARE(rows.size(), 8);
    QCOMPARE(Catalogue::load(path(QStringLiteral("mulu.txt"))).labels,
             (QStringList{QStringLiteral("全部中考试题"), QStringLiteral("冠词")}));

    QVERIFY(correctQuestion(path(QStringLiteral("english.db")), 2, QStringLiteral("D")));
    QVERIFY(writeBytes(path(QStringLiteral("mulu.txt")), CodePage::encode(QStringLiteral("全部中考试题\r\n冠词\r\n我的\r\n"))));
    const QByteArray bank = readBytes(path(QStringLiteral("english.db")));
    const QByteArray catalogue = readBytes(path(QStringLiteral("mulu.txt")));

    const Run again = qvbank(build);
    QVERIFY2(again.code == 0, qPrintable(again.err));
    QCOMPARE(readBytes(path(QStringLiteral("english.db"))), bank);
    QCOMPARE(readBytes(path(QStringLiteral("mulu.txt"))), catalogue);

    QStringList strict = build;
    strict.removeAll(QStringLiteral("--if-missing"));
    const Run refused = qvbank(strict);
    QCOMPARE(refused.code, 3);
    QVERIFY(refused.err.contains(path(QStringLiteral("english.db"))));
    QCOMPARE(readBytes(path(QStringLiteral("english.db"))), bank);
}

void TestBankTool::aKeptBankGetsItsOwnCatalogue()
{
    const QString db = path(QStringLiteral("english.db"));
    const QString catalogue = path(QStringLiteral("mulu.txt"));
    QString error;
    QList<QuestionRecord> rows;
    for (int i = 0; i < 3; ++i) {
        QuestionRecord r;
        r.number = i + 1;
        r.question = QStringLiteral("Q%1\nA. a\nB. b\nC. c\nD. d").arg(i);
        r.answer = QStringLiteral("A");
        r.category = i == 1 ? QStringLiteral("自编") : QStringLiteral("冠词");
        rows << r;
    }
    QVERIFY2(BankBuilder::createBank(db, rows, &error), qPrintable(error));
    const QString source = writeSource(QStringLiteral("a.txt"), aikenSource(QStringLiteral("名词"), sampleBlocks(8)));
    const Run run = qvbank({QStringLiteral("build"), QStringLiteral("--if-missing"), QStringLiteral("--db"), db,
                            QStringLiteral("--catalogue"), catalogue, source});
    QVERIFY2(run.code == 0, qPrintable(run.err));
    QCOMPARE(Catalogue::load(catalogue).labels,
             (QStringList{QStringLiteral("全部中考试题"), QStringLiteral("冠词"), QStringLiteral("自编")}));
}

void TestBankTool::createNeverOverwrites()
{
    const QString db = path(QStringLiteral("english.db"));
    const QString catalogue = path(QStringLiteral("mulu.txt"));
    const QStringList create{QStringLiteral("create"), QStringLiteral("--db"), db, QStringLiteral("--catalogue"), catalogue};
    QCOMPARE(qvbank(create).code, 0);
    QCOMPARE(readBytes(catalogue), CodePage::encode(QStringLiteral("全部中考试题\r\n")));
    QList<QuestionRecord> rows;
    QString error;
    QVERIFY2(BankBuilder::readRows(db, &rows, &error), qPrintable(error));
    QVERIFY(rows.isEmpty());
    QCOMPARE(qvbank({QStringLiteral("check"), QStringLiteral("--db"), db, QStringLiteral("--catalogue"), catalogue}).code, 0);

    QVERIFY(writeBytes(catalogue, "mine"));
    QCOMPARE(qvbank(create).code, 3);
    QCOMPARE(readBytes(catalogue), QByteArray("mine"));

    // Only the catalogue exists: no bank is made beside it either.
    QVERIFY(QFile::remove(db));
    QCOMPARE(qvbank(create).code, 3);
    QVERIFY(!QFile::exists(db));
}

void TestBankTool::exportImportThroughTheProgram()
{
    const QString source = writeSource(QStringLiteral("a.txt"),
                                       aikenSource(QStringLiteral("冠词"), sampleBlocks(8, QStringLiteral("ABCD"), QString(), true)));
    const QString db = path(QStringLiteral("english.db"));
    const QString catalogue = path(QStringLiteral("mulu.txt"));
    QCOMPARE(qvbank({QStringLiteral("build"), QStringLiteral("--require-explanations"), QStringLiteral("--db"), db,
                     QStringLiteral("--catalogue"), catalogue, source})
                 .code,
             0);
    QCOMPARE(qvbank({QStringLiteral("check"), QStringLiteral("--require-explanations"), QStringLiteral("--db"), db,
                     QStringLiteral("--catalogue"), catalogue})
                 .code,
             0);

    // Aiken carries the explanations only when asked; the bank they come back
    // into through an import is sound and explained again.
    const QString aiken = path(QStringLiteral("out.aiken"));
    const QStringList exportAiken{QStringLiteral("export"), QStringLiteral("--db"), db, QStringLiteral("--format"),
                                  QStringLiteral("aiken"), aiken};
    QCOMPARE(qvbank(exportAiken).code, 0);
    QVERIFY(!readBytes(aiken).contains(QStringLiteral("解析").toUtf8()));
    QCOMPARE(qvbank(QStringList(exportAiken) << QStringLiteral("--force") << QStringLiteral("--with-explanations")).code, 0);
    QVERIFY(readBytes(aiken).contains(QStringLiteral("ANSWER: A\n解析: 说明 1\n").toUtf8()));
    const QString copy = path(QStringLiteral("copy.db"));
    const QString copyCatalogue = path(QStringLiteral("copy.txt"));
    QCOMPARE(qvbank({QStringLiteral("create"), QStringLiteral("--db"), copy, QStringLiteral("--catalogue"), copyCatalogue}).code, 0);
    QCOMPARE(qvbank({QStringLiteral("import"), QStringLiteral("--db"), copy, QStringLiteral("--catalogue"), copyCatalogue, aiken}).code, 0);
    QCOMPARE(qvbank({QStringLiteral("check"), QStringLiteral("--require-explanations"), QStringLiteral("--db"), copy,
                     QStringLiteral("--catalogue"), copyCatalogue})
                 .code,
             0);

    const QString gift = path(QStringLiteral("out.gift"));
    const QStringList exportGift{QStringLiteral("export"), QStringLiteral("--db"), db, QStringLiteral("--format"),
                                 QStringLiteral("gift"), gift};
    QCOMPARE(qvbank(exportGift).code, 0);
    const QByteArray exported = readBytes(gift);
    QVERIFY(exported.contains("$CATEGORY: " + QStringLiteral("冠词").toUtf8()));
    QVERIFY(exported.contains(QStringLiteral("####说明 8\n}").toUtf8()));

    QVERIFY(writeBytes(gift, "keep me"));
    QCOMPARE(qvbank(exportGift).code, 3);
    QCOMPARE(readBytes(gift), QByteArray("keep me"));
    QCOMPARE(qvbank(QStringList(exportGift) << QStringLiteral("--force")).code, 0);
    QCOMPARE(readBytes(gift), exported);

    // Everything in the export is already in the bank: reported, skipped, exit 0.
    const Run again = qvbank({QStringLiteral("import"), QStringLiteral("--db"), db, QStringLiteral("--catalogue"), catalogue, gift});
    QCOMPARE(again.code, 0);
    QCOMPARE(again.err.count(QStringLiteral("重复")), 8);

    const QString bad = writeSource(QStringLiteral("bad.gift"), QStringLiteral("$CATEGORY: 新\n\nOnly two. {=a ~b}\n"));
    const Run rejected = qvbank({QStringLiteral("import"), QStringLiteral("--db"), db, QStringLiteral("--catalogue"), catalogue, bad});
    QCOMPARE(rejected.code, 1);
    QVERIFY2(rejected.err.contains(bad + QStringLiteral(":3: ")), qPrintable(rejected.err));
    QCOMPARE(qvbank({QStringLiteral("check"), QStringLiteral("--db"), db, QStringLiteral("--catalogue"), catalogue}).code, 0);
}

QTEST_GUILESS_MAIN(TestBankTool)
#include "tst_banktool.moc"
