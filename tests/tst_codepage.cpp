#include "codepage.h"

#include <QtTest>

class TestCodePage : public QObject
{
    Q_OBJECT
private slots:
    void headingsAreTheCodePageBytes();
    void codePageWinsOverGb18030();
    void charactersOutsideTheCodePageSurvive();
    void brokenBytesDecodeWithoutLoss();
};

void TestCodePage::headingsAreTheCodePageBytes()
{
    QCOMPARE(CodePage::encode(QStringLiteral("试题部分：")), QByteArray::fromHex("cad4cce2b2bfb7d6a3ba"));
    QCOMPARE(CodePage::encode(QStringLiteral("答案部分：")), QByteArray::fromHex("b4f0b0b8b2bfb7d6a3ba"));
    QCOMPARE(CodePage::decode(QByteArray::fromHex("cad4cce2b2bfb7d6a3ba")), QStringLiteral("试题部分："));
}

void TestCodePage::codePageWinsOverGb18030()
{
    // Code page 936 has the euro sign at 0x80; GB18030 would write A2 E3.
    QCOMPARE(CodePage::encode(QStringLiteral("€5")), QByteArray::fromHex("8035"));
    QCOMPARE(CodePage::decode(QByteArray::fromHex("8035")), QStringLiteral("€5"));
    // Plain ASCII and line ends pass through unchanged.
    QCOMPARE(CodePage::encode(QStringLiteral("A.\r\n")), QByteArray("A.\r\n"));
}

void TestCodePage::charactersOutsideTheCodePageSurvive()
{
    const QString text = QStringLiteral("Emoji 😀, Korean 한, Thai ก, Chinese 中 and é");
    const QByteArray bytes = CodePage::encode(text);
    QVERIFY(!bytes.contains('?'));
    QVERIFY(bytes.contains(QByteArray::fromHex("d6d0"))); // 中 keeps its code-page bytes
    QCOMPARE(CodePage::decode(bytes), text);
}

void TestCodePage::brokenBytesDecodeWithoutLoss()
{
    // A lead byte at the very end, and a stray 0xFF: decoding goes on past them.
    const QString text = CodePage::decode(QByteArray::fromHex("41ff42d6"));
    QVERIFY(text.startsWith(QLatin1Char('A')));
    QVERIFY(text.contains(QLatin1Char('B')));
    // The last byte is not dropped silently: it is a character that is lost.
    QCOMPARE(text.back(), QChar(QChar::ReplacementCharacter));
    QCOMPARE(CodePage::decode(QByteArray::fromHex("d6")), QString(QChar::ReplacementCharacter));
    // A broken pair never swallows the line end after it.
    QVERIFY(CodePage::decode(QByteArray::fromHex("810d0a41")).endsWith(QStringLiteral("\r\nA")));
}

QTEST_APPLESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
