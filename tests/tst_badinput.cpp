// Odd text wherever it comes in: nothing crashes, and what is stored or used as a name is exactly what was typed.
#include "banksources.h"
#include "boundfield.h"
#include "codepage.h"
#include "practicewindow.h"
#include "compositionwindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "paper.h"
#include "papersavewindow.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace {

// Text as an input method hands it over, or through the clipboard and Ctrl+V.
void enter(QWidget *box, const QString &text, bool paste)
{
    if (!paste)
        return typeIn(box, text);
    box->setFocus();
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

void selectLabel(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

const QString kCombining = QStringLiteral("e\u0301\u0302 n\u0303 a\u0308\u0323 \u0e01\u0e49\u0e33 \u1100\u1161\u11a8");
const QString kRightToLeft = QStringLiteral("مرحبا بالعالم שלום 123 abc \u202eabc\u202c\u200f.");
const QString kEmoji = QStringLiteral("👩‍👩‍👧‍👦🇨🇳😀👍🏽 𠀀𪚥");
const QString kSpecials = QStringLiteral("a\u00a0b\u2028c\u200bd\ufeffe\tf <>&\"' \\ 第一题");

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { closeAllWindows(); }

    void brokenCatalogueBytesGiveLabelsNotACrash()
    {
        TempBank bank(sampleRows(4, {QStringLiteral("甲类")}));
        // A lead byte without a trail, a trail that is none, bytes no 936 text has, a lead byte as the last byte.
        const QByteArray broken("\x81\r\n" "ab\x81\x7f" "cd\r\n" "\xff\xff\r\n");
        QVERIFY(writeBytes(bank.cataloguePath(), CodePage::encode(QStringLiteral("全部中考试题\r\n甲类\r\n")) + broken
                                                     + CodePage::encode(QStringLiteral("乙类\r\n")) + "\x81"));

        // A broken byte never swallows a line end: six line ends, seven labels, the good ones found.
        PracticeWindow *form = showPracticeWindow();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(form->categoryList()->count(), 7);
        QCOMPARE(form->categoryList()->itemText(5), QStringLiteral("乙类"));
        for (int i : {2, 3, 4, 6}) {
            selectLabel(form->categoryList(), i);
            QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共0题"));
        }
        selectLabel(form->categoryList(), 1);
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共4题"));
    }

    void aCatalogueOf32768LinesEndingInALabelOf10000Characters()
    {
        // 32768 lines pass a 16-bit index; the last label, long and with a quote, is question 1's.
        const QString longLabel = QString(9998, QChar(u'长')) + QStringLiteral("\"卷");
        QStringList labels{QStringLiteral("全部中考试题")};
        for (int i = 1; i < 32767; ++i)
            labels << QStringLiteral("类别%1").arg(i, 5, 10, QLatin1Char('0'));
        labels << longLabel;
        TempBank bank(sampleRows(5, {longLabel, labels.at(1)}), labels);

        PracticeWindow *form = showPracticeWindow();
        QCOMPARE(form->categoryList()->count(), 32768);
        QCOMPARE(form->categoryBox()->text(), longLabel);
        QCOMPARE(form->categoryList()->currentText(), longLabel);
        selectLabel(form->categoryList(), 1);
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共2题"));
        selectLabel(form->categoryList(), 32767);
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共3题"));
        clickButton(form, QStringLiteral("Command4"));
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第2题 共3题"));
        QCOMPARE(form->cursor()->field(BankSchema::Number).toInt(), 3);

        clickButton(form, QStringLiteral("Command7"));
        auto *form3 = WindowRegistry::instance().findWindow<CompositionWindow>(QStringLiteral("Form3"));
        QVERIFY(form3);
        QCOMPARE(form3->browseCategoryList()->count(), 32768);
        selectLabel(form3->browseCategoryList(), 1);
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共2题"));
    }

    void anyTextInTheBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("paste");
        QTest::newRow("combining marks, right to left, emoji, typed") << kCombining + kRightToLeft + kEmoji << false;
        QTest::newRow("no-break space, separators, tab, pasted") << kSpecials << true;
        const QString all = kCombining + kRightToLeft + kEmoji + kSpecials;
        QTest::newRow("100 kB of all of it, pasted") << all.repeated(100 * 1024 / all.toUtf8().size() + 1) << true;
    }

    void anyTextInTheBoxes()
    {
        QFETCH(QString, text);
        QFETCH(bool, paste);
        TempBank bank(sampleRows(3));
        PracticeWindow *form = showPracticeWindow();

        // The question (several lines) and the answer, corrected and stored.
        const QString question = text + QStringLiteral("\n") + text;
        form->menuAction(QStringLiteral("XGST"))->trigger();
        form->questionBox()->selectAll();
        enter(form->questionBox(), text, paste);
        QTest::keyClick(form->questionBox(), Qt::Key_Return);
        enter(form->questionBox(), text, paste);
        form->menuAction(QStringLiteral("XGDA"))->trigger();
        form->answerBox()->selectAll();
        enter(form->answerBox(), text, paste);
        clickButton(form, QStringLiteral("Command4"));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(bank.stored(1, QStringLiteral("试题")).toString(), question);
        QCOMPARE(bank.stored(1, QStringLiteral("答案")).toString(), text);
        clickButton(form, QStringLiteral("Command3"));
        QCOMPARE(form->answerBox()->text(), text);

        // The count box takes it and refuses it as no number.
        clickButton(form, QStringLiteral("Command7"));
        auto *form3 = WindowRegistry::instance().findWindow<CompositionWindow>(QStringLiteral("Form3"));
        QVERIFY(form3);
        enter(form3->countBox(), text, paste);
        QCOMPARE(form3->countBox()->text(), text);
        clickButton(form3, QStringLiteral("Command20"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("请输入数字！"));

        // A paper of question 1 carries the text into the file unchanged.
        form3->setUniformSourceFactory([] { return RandomDraw::UniformSource([] { return 0.0; }); });
        form3->countBox()->setText(QStringLiteral("1"));
        clickButton(form3, QStringLiteral("Command20"));
        QCOMPARE(exactText(form3->paperBox()), QStringLiteral("\n1.") + question);

        // The file gets exactly the name typed; a name too long for the file system is told and the window stays.
        clickButton(form3, QStringLiteral("Command2"));
        auto *form4 = WindowRegistry::instance().findWindow<PaperSaveWindow>(QStringLiteral("Form4"));
        QVERIFY(form4);
        enter(form4->nameBox(), text, paste);
        QCOMPARE(form4->nameBox()->text(), text);
        MessageBox::clearShown();
        clickButton(form4, QStringLiteral("Command1"));
        const QString fileName = text + QStringLiteral(".txt");
        if (fileName.toUtf8().size() > 255) {
            QCOMPARE(MessageBox::shown().size(), 2);
            QVERIFY2(MessageBox::last().text.contains(QStringLiteral("文件名太长")), qPrintable(MessageBox::last().text.left(400)));
            QVERIFY(MessageBox::last().text.size() < 1000); // the name is not repeated whole
            QVERIFY(form4->isVisible());
            QCOMPARE(QDir(bank.dir()).entryList({QStringLiteral("*.txt*")}, QDir::Files | QDir::Hidden),
                     QStringList{QStringLiteral("mulu.txt")}); // nothing written
            return;
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(!form4->isVisible());
        const QByteArray saved = readBytes(QDir(bank.dir()).filePath(fileName));
        QCOMPARE(saved, Paper::fileBytes(exactText(form3->paperBox()), exactText(form3->paperAnswerBox())));
        QVERIFY(CodePage::decode(saved).contains(Paper::withCrLf(question)));
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
