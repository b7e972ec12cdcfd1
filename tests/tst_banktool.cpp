// Runs the built qvbank program and looks at its exit codes, its messages and the files it leaves behind.
#include "banksources.h"
#include "catalogue.h"
#include "codepage.h"
#include "faultsupport.h"

#include <QProcess>
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
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return Run();
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// A command on a bank: the command, "--db", "--catalogue", then the rest.
QStringList onBank(const QString &command, const QString &db, const QString &catalogue, const QStringList &rest = {})
{
    return QStringList{command, QStringLiteral("--db"), db, QStringLiteral("--catalogue"), catalogue} + rest;
}

} // namespace

class TestBankTool : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>(); // each test works in a fresh folder
        QVERIFY(m_dir->isValid());
        m_db = path(QStringLiteral("english.db"));
        m_catalogue = path(QStringLiteral("mulu.txt"));
    }

    void helpAndUsageErrors()
    {
        const Run help = qvbank({QStringLiteral("--help")});
        QCOMPARE(help.code, 0);
        QVERIFY(help.out.contains(QStringLiteral("退出码")));

        QCOMPARE(qvbank({}).code, 2);
        const Run unknown = qvbank({QStringLiteral("frob")});
        QCOMPARE(unknown.code, 2);
        QVERIFY(unknown.err.contains(QStringLiteral("frob")));
        const Run missing = qvbank({QStringLiteral("import"), QStringLiteral("--db"), m_db, path(QStringLiteral("in.txt"))});
        QCOMPARE(missing.code, 2);
        QVERIFY(missing.err.contains(QStringLiteral("--catalogue")));
        QCOMPARE(qvbank({QStringLiteral("export"), QStringLiteral("--db"), m_db, QStringLiteral("--format"), QStringLiteral("gift")}).code, 2);
    }

    void sourcesAreCheckedBeforeAnythingIsBuilt()
    {
        const QString good = writeSource(QStringLiteral("good.txt"), aikenSource(QStringLiteral("冠词"), sampleBlocks(8)));
        QCOMPARE(qvbank({QStringLiteral("check"), good}).code, 0);
        // Explanations are required only when asked for: then each question without one is named.
        const Run unexplained = qvbank({QStringLiteral("check"), QStringLiteral("--require-explanations"), good});
        QCOMPARE(unexplained.code, 1);
        QCOMPARE(unexplained.err.count(QStringLiteral("没有解析")), 8);
        QVERIFY2(unexplained.err.contains(good + QStringLiteral(":3: ")), qPrintable(unexplained.err));
        QCOMPARE(qvbank({QStringLiteral("check"), path(QStringLiteral("absent.txt"))}).code, 3);

        // A build whose check fails makes nothing.
        const Run run = qvbank(onBank(QStringLiteral("build"), m_db, m_catalogue,
                                      {QStringLiteral("--if-missing"), QStringLiteral("--require-explanations"), good}));
        QCOMPARE(run.code, 1);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("good.txt")}); // no bank, catalogue or temp file
    }

    void aBankIsBuiltOnceThenKeptExportedAndImported()
    {
        const QString source = writeSource(QStringLiteral("a.txt"),
                                           aikenSource(QStringLiteral("冠词"), sampleBlocks(8, QStringLiteral("ABCD"), QString(), true)));
        const QString requireExplanations = QStringLiteral("--require-explanations");
        const QStringList build =
            onBank(QStringLiteral("build"), m_db, m_catalogue, {QStringLiteral("--if-missing"), requireExplanations, source});
        const Run first = qvbank(build);
        QVERIFY2(first.code == 0, qPrintable(first.err));
        QCOMPARE(Catalogue::load(m_catalogue).labels, (QStringList{QStringLiteral("全部中考试题"), QStringLiteral("冠词")}));
        QCOMPARE(qvbank(onBank(QStringLiteral("check"), m_db, m_catalogue, {requireExplanations})).code, 0);

        // A user's correction and a label of the user's own are kept.
        QVERIFY(execSql(m_db, QStringLiteral("UPDATE zk SET \"答案\" = 'D' WHERE \"题号\" = 2")));
        QVERIFY(writeBytes(m_catalogue, CodePage::encode(QStringLiteral("全部中考试题\r\n冠词\r\n我的\r\n"))));
        const QByteArray bank = readBytes(m_db);
        const QByteArray catalogue = readBytes(m_catalogue);
        const Run again = qvbank(build);
        QVERIFY2(again.code == 0, qPrintable(again.err));
        QCOMPARE(readBytes(m_db), bank);
        QCOMPARE(readBytes(m_catalogue), catalogue);

        QStringList strict = build;
        strict.removeAll(QStringLiteral("--if-missing"));
        const Run refused = qvbank(strict);
        QCOMPARE(refused.code, 3);
        QVERIFY(refused.err.contains(m_db));
        QCOMPARE(readBytes(m_db), bank);

        // A file in the way is kept unless forced; Aiken carries the explanations only when asked.
        const QString aiken = path(QStringLiteral("out.aiken"));
        const QStringList exportAiken{QStringLiteral("export"), QStringLiteral("--db"), m_db, QStringLiteral("--format"),
                                      QStringLiteral("aiken"), aiken};
        QVERIFY(writeBytes(aiken, "keep me"));
        QCOMPARE(qvbank(exportAiken).code, 3);
        QCOMPARE(readBytes(aiken), QByteArray("keep me"));
        QCOMPARE(qvbank(QStringList(exportAiken) << QStringLiteral("--force")).code, 0);
        QCOMPARE(readBytes(aiken).count("\nANSWER: "), 8);
        QVERIFY(!readBytes(aiken).contains(QStringLiteral("解析").toUtf8()));
        QCOMPARE(qvbank(QStringList(exportAiken) << QStringLiteral("--force") << QStringLiteral("--with-explanations")).code, 0);
        QVERIFY(readBytes(aiken).contains(QStringLiteral("ANSWER: A\n解析: 说明 1\n").toUtf8()));

        // Everything in the export is already in the bank: reported, skipped, exit 0.
        const Run reimported = qvbank(onBank(QStringLiteral("import"), m_db, m_catalogue, {aiken}));
        QCOMPARE(reimported.code, 0);
        QCOMPARE(reimported.err.count(QStringLiteral("重复")), 8);

        const QString bad = writeSource(QStringLiteral("bad.gift"), QStringLiteral("$CATEGORY: 新\n\nOnly two. {=a ~b}\n"));
        const Run rejected = qvbank(onBank(QStringLiteral("import"), m_db, m_catalogue, {bad}));
        QCOMPARE(rejected.code, 1);
        QVERIFY2(rejected.err.contains(bad + QStringLiteral(":3: ")), qPrintable(rejected.err));

        // A kept bank without its catalogue gets one made from the bank's own categories, not the sources'.
        QVERIFY(execSql(m_db, QStringLiteral("UPDATE zk SET \"备注\" = '自编' WHERE \"题号\" = 8")));
        QVERIFY(QFile::remove(m_catalogue));
        QCOMPARE(qvbank(build).code, 0);
        QCOMPARE(Catalogue::load(m_catalogue).labels,
                 (QStringList{QStringLiteral("全部中考试题"), QStringLiteral("冠词"), QStringLiteral("自编")}));
    }

    void createNeverOverwrites()
    {
        const QStringList create = onBank(QStringLiteral("create"), m_db, m_catalogue);
        QCOMPARE(qvbank(create).code, 0);
        QCOMPARE(readBytes(m_catalogue), CodePage::encode(QStringLiteral("全部中考试题\r\n")));
        QCOMPARE(queryNumber(m_db, QStringLiteral("SELECT count(*) FROM zk")), 0);
        QCOMPARE(qvbank(onBank(QStringLiteral("check"), m_db, m_catalogue)).code, 0);

        QVERIFY(writeBytes(m_catalogue, "mine"));
        QCOMPARE(qvbank(create).code, 3);
        QCOMPARE(readBytes(m_catalogue), QByteArray("mine"));

        // Only the catalogue exists: no bank is made beside it either.
        QVERIFY(QFile::remove(m_db));
        QCOMPARE(qvbank(create).code, 3);
        QVERIFY(!QFile::exists(m_db));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_db;
    QString m_catalogue;
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString writeSource(const QString &name, const QString &text) const
    {
        return writtenFile(m_dir->path(), name, text.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestBankTool)
#include "tst_banktool.moc"
