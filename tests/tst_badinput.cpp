// Odd text wherever text comes in: a catalogue with broken bytes, a huge one,
// a huge label, and any Unicode typed or pasted into the count box, the name
// box and the question and answer boxes. Nothing crashes, and what is stored
// or used as a name is exactly what was typed.
#include "banksources.h"
#include "boundfield.h"
#include "catalogue.h"
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
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

WindowRegistry &registry()
{
    return WindowRegistry::instance();
}

// Text through the clipboard and Ctrl+V.
void pasteIn(QWidget *box, const QString &text)
{
    box->setFocus();
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

void enter(QWidget *box, const QString &text, bool paste)
{
    if (paste)
        pasteIn(box, text);
    else
        typeIn(box, text);
}

int selectLabel(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    return index;
}

const QString kCombining = QStringLiteral("e\u0301\u0302 n\u0303 a\u0308\u0323 \u0e01\u0e49\u0e33 \u1100\u1161\u11a8");
const QString kRightToLeft = QStringLiteral("مرحبا بالعالم שלום 123 abc \u202eabc\u202c\u200f.");
const QString kEmoji = QStringLiteral("👩‍👩‍👧‍👦🇨🇳😀👍🏽 𠀀𪚥");
const QString kSpecials = QStringLiteral("a\u00a0b\u2028c\u200bd\ufeffe\tf <>&\"' \\ 第一题");

// About 100 kB of all of the above, as one paste.
QString hundredKilobytes()
{
    const QString piece = kCombining + kRightToLeft + kEmoji + kSpecials;
    QString text;
    while (text.toUtf8().size() < 100 * 1024)
        text += piece;
    return text;
}

} // namespace

class TestBadInput : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void brokenCatalogueBytesGiveLabelsNotACrash()
    {
        TempBank bank(sampleRows(4, {QStringLiteral("甲类")}));
        // Good lines between lead bytes without a trail, a trail that is none, a
        // byte no code page 936 text has, and a lead byte as the very last byte.
        QByteArray bytes = CodePage::encode(QStringLiteral("全部中考试题\r\n甲类\r\n"));
        bytes += "\x81\r\n";
        bytes += "ab\x81\x7f" "cd\r\n";
        bytes += "\xff\xff\r\n";
        bytes += CodePage::encode(QStringLiteral("乙类\r\n"));
        bytes += "\x81";
        QVERIFY(writeBytes(bank.cataloguePath(), bytes));

        // A broken byte never swallows a line end (tst_codepage has the bytes):
        // six line ends, seven labels, the good ones found.
        PracticeWindow *form = showPracticeWindow();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(form->categoryList()->count(), 7);
        QCOMPARE(form->categoryList()->itemText(5), QStringLiteral("乙类"));
        for (int i = 2; i < 7; ++i) {
            if (i == 5)
                continue;
            selectLabel(form->categoryList(), i);
            QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共0题"));
        }
        selectLabel(form->categoryList(), 1);
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共4题"));
    }

    void aCatalogueOf32768Lines()
    {
        QStringList labels{QStringLiteral("全部中考试题")};
        for (int i = 1; i < 32768; ++i)
            labels << QStringLiteral("类别%1").arg(i, 5, 10, QLatin1Char('0'));
        TempBank bank(sampleRows(6, {labels.last(), labels.at(1)}), labels);
        QCOMPARE(Catalogue::load(bank.cataloguePath()).labels, labels);

        QElapsedTimer clock;
        clock.start();
        PracticeWindow *form = showPracticeWindow();
        QCOMPARE(form->categoryList()->count(), 32768);
        QCOMPARE(selectLabel(form->categoryList(), 32767), 32767);
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共3题"));
        QCOMPARE(form->categoryList()->currentText(), labels.last());
        clickButton(form, QStringLiteral("Command7"));
        auto *form3 = registry().findWindow<CompositionWindow>(QStringLiteral("Form3"));
        QVERIFY(form3);
        QCOMPARE(form3->browseCategoryList()->count(), 32768);
        selectLabel(form3->browseCategoryList(), 1);
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共3题"));
        qInfo("32768 labels in both lists: %lld ms", qint64(clock.elapsed()));
    }

    void aLabelOf10000Characters()
    {
        const QString label = QString(9998, QChar(u'长')) + QStringLiteral("\"卷");
        TempBank bank(sampleRows(4, {label, QStringLiteral("甲类")}),
                      {QStringLiteral("全部中考试题"), QStringLiteral("甲类"), label});
        QCOMPARE(label.size(), 10000);
        QCOMPARE(Catalogue::load(bank.cataloguePath()).labels.last(), label);

        PracticeWindow *form = showPracticeWindow();
        QCOMPARE(form->categoryBox()->text(), label); // question 1 is of that category
        QCOMPARE(form->categoryList()->currentText(), label);
        selectLabel(form->categoryList(), 1);
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共2题"));
        selectLabel(form->categoryList(), 2);
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共2题"));
        QCOMPARE(form->categoryBox()->text(), label);
        clickButton(form, QStringLiteral("Command4"));
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第2题 共2题"));
        QCOMPARE(form->cursor()->field(BankSchema::Number).toInt(), 3);
    }

    void anyTextInTheBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("paste");
        QTest::newRow("combining marks, right to left, emoji, typed") << kCombining + kRightToLeft + kEmoji << false;
        QTest::newRow("no-break space, separators, tab, pasted") << kSpecials << true;
        QTest::newRow("100 kB pasted") << hundredKilobytes() << true;
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
        if (paste) {
            pasteIn(form->questionBox(), question);
        } else {
            typeIn(form->questionBox(), text);
            QTest::keyClick(form->questionBox(), Qt::Key_Return);
            typeIn(form->questionBox(), text);
        }
        form->menuAction(QStringLiteral("XGDA"))->trigger();
        form->answerBox()->selectAll();
        enter(form->answerBox(), text, paste);
        QCOMPARE(form->answerBox()->text(), text);
        clickButton(form, QStringLiteral("Command4"));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(bank.stored(1, QStringLiteral("试题")).toString(), question);
        QCOMPARE(bank.stored(1, QStringLiteral("答案")).toString(), text);
        clickButton(form, QStringLiteral("Command3"));
        QCOMPARE(form->answerBox()->text(), text);

        // The count box takes it and refuses it as no number.
        clickButton(form, QStringLiteral("Command7"));
        auto *form3 = registry().findWindow<CompositionWindow>(QStringLiteral("Form3"));
        QVERIFY(form3);
        enter(form3->countBox(), text, paste);
        QCOMPARE(form3->countBox()->text(), text);
        clickButton(form3, QStringLiteral("Command20"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("请输入数字！"));
        QVERIFY(form3->paperBox()->toPlainText().isEmpty());

        // A paper of question 1 carries the text into the file unchanged.
        form3->setUniformSourceFactory([] { return RandomDraw::UniformSource([] { return 0.0; }); });
        form3->countBox()->setText(QStringLiteral("1"));
        clickButton(form3, QStringLiteral("Command20"));
        QCOMPARE(exactText(form3->paperBox()), QStringLiteral("\n1.") + question);

        // The name box: the file gets exactly the name typed, unless the file
        // system cannot take a name that long; then the window says so and stays.
        clickButton(form3, QStringLiteral("Command2"));
        auto *form4 = registry().findWindow<PaperSaveWindow>(QStringLiteral("Form4"));
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
        QVERIFY(QDir(bank.dir()).entryList(QDir::Files).contains(fileName));
        const QByteArray saved = readBytes(QDir(bank.dir()).filePath(fileName));
        QCOMPARE(saved, Paper::fileBytes(exactText(form3->paperBox()), exactText(form3->paperAnswerBox())));
        QVERIFY(CodePage::decode(saved).contains(Paper::withCrLf(question)));
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
