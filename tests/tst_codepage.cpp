#include "codepage.h"

#include <QtTest>

class TestCodePage : public QObject
{
    Q_OBJECT
private slots:
    void codePageWinsOverGb18030()
    {
        // Code page 936 has the euro sign at 0x80; GB18030 would write A2 E3.
        QCOMPARE(CodePage::encode(QStringLiteral("€5")), QByteArray::fromHex("8035"));
        QCOMPARE(CodePage::decode(QByteArray::fromHex("8035")), QStringLiteral("€5"));
        // Plain ASCII and line ends pass through unchanged.
        QCOMPARE(CodePage::encode(QStringLiteral("A.\r\n")), QByteArray("A.\r\n"));
    }

    void charactersOutsideTheCodePageSurvive()
    {
        const QString text = QStringLiteral("Emoji 😀, Korean 한, Thai ก, Chinese 中 and é, 𠀀");
        const QByteArray bytes = CodePage::encode(text);
        QVERIFY(!bytes.contains('?'));
        QVERIFY(bytes.contains(QByteArray::fromHex("d6d0"))); // 中 keeps its code-page bytes
        QCOMPARE(CodePage::decode(bytes), text);
    }

    void brokenBytesDecodeWithoutLoss()
    {
        // A lead byte at the very end, and a stray 0xFF: decoding goes on past
        // them, and each stays a character of its own; the last byte is not
        // dropped silently.
        const QString text = CodePage::decode(QByteArray::fromHex("41ff42d6"));
        QCOMPARE(text.size(), 4);
        QVERIFY(text.startsWith(QLatin1Char('A')) && text.endsWith(QStringLiteral("B\uFFFD")));
        QCOMPARE(CodePage::decode(QByteArray::fromHex("d6")), QString(QChar::ReplacementCharacter));
        // A broken pair never swallows the line end after it.
        QVERIFY(CodePage::decode(QByteArray::fromHex("810d0a41")).endsWith(QStringLiteral("\r\nA")));
        // Cut short after a broken pair and in a four-byte sequence alike.
        QCOMPARE(CodePage::decode(QByteArray::fromHex("813081")), QStringLiteral("\uFFFD0\uFFFD"));
        QCOMPARE(CodePage::decode(QByteArray::fromHex("d6d0d6")), QStringLiteral("中\uFFFD"));
    }

    void twoByteGb18030CharactersComeBack()
    {
        // The pinyin letter ǹ, the radical ⺈ and the ideograph 䶮 have two-byte
        // GB18030 codes that code page 936 gives to private-use characters.
        const QString text = QStringLiteral("ǹ ḿ ⺈ 䶮");
        const QByteArray bytes = CodePage::encode(text);
        QVERIFY(bytes.startsWith(QByteArray::fromHex("a8bf20")));
        QCOMPARE(CodePage::decode(bytes), text);
        // The private-use characters of those codes keep their own identity.
        const QString privateUse = QStringLiteral("\uE7C8\uE76C");
        QCOMPARE(CodePage::encode(privateUse).size(), 8);
        QCOMPARE(CodePage::decode(CodePage::encode(privateUse)), privateUse);
    }
};

QTEST_APPLESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
