#include "bankbuilder.h"
#include "banksources.h"
#include "catalogue.h"

#include <QTemporaryDir>
#include <QtTest>

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void linesEndAtCrOrCrLf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("CR LF") << "全部中考试题\r\n甲\r\n" << QStringList{"全部中考试题", "甲"};
        QTest::newRow("CR") << "a\rb\r" << QStringList{"a", "b"};
        QTest::newRow("lone LF stays") << "a\nb\r\nc" << QStringList{"a\nb", "c"};
        QTest::newRow("empty lines kept") << "a\r\n\r\n\r\nb\r\n" << QStringList{"a", "", "", "b"};
        QTest::newRow("blanks kept, duplicates kept") << " a \r\n a \r\n" << QStringList{" a ", " a "};
        QTest::newRow("no line end at the end") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("empty file") << "" << QStringList{};
    }

    void linesEndAtCrOrCrLf()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, labels);
        QCOMPARE(Catalogue::splitLines(text), labels);
    }

    void missingFileIsReportedByName()
    {
        QTemporaryDir dir;
        const Catalogue::LoadResult result = Catalogue::load(dir.filePath(QStringLiteral("mulu.txt")));
        QVERIFY(!result.ok);
        QVERIFY(result.labels.isEmpty());
        QVERIFY(result.message.contains(QStringLiteral("mulu.txt")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("mulu.txt"))));
    }

    void extendedCatalogueKeepsEveryLabel()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mulu.txt"));
        // "甲" CR LF, then a file cut short after the first byte of "中".
        QVERIFY(writeBytes(path, QByteArray::fromHex("bcd70d0ad6")));
        const QStringList before{QStringLiteral("甲"), QString(QChar(QChar::ReplacementCharacter))};
        QCOMPARE(Catalogue::load(path).labels, before);

        // Labels added by the bank tool, one with a character that code page 936
        // lacks and one whose GB18030 code that code page reads otherwise.
        const QStringList added{QStringLiteral("乙 😀"), QStringLiteral("ǹ 的读音")};
        QString error;
        QVERIFY2(BankBuilder::appendCatalogueLabels(path, added, &error), qPrintable(error));
        QCOMPARE(Catalogue::load(path).labels, before + added);
    }
};

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
