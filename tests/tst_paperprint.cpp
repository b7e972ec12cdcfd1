#include "compositionwindow.h"
#include "faultsupport.h"
#include "messagebox.h"
#include "practicewindow.h"
#include "printlayout.h"
#include "banksources.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

using namespace PrintLayout;

namespace {

enum ChoiceSize { Short, Medium, Long, Mixed };

// n questions as the composition window writes them. A short choice fits a
// quarter of the line, a medium one half, a long one not even a whole line.
PaperBuffers makePaper(int n, ChoiceSize size)
{
    const QString letters = QStringLiteral("ABCD");
    PaperBuffers paper;
    for (int i = 1; i <= n; ++i) {
        const ChoiceSize kind = size == Mixed ? ChoiceSize(i % 3) : size;
        QString question = QStringLiteral("Stem%1 asks which word fits the blank ______ here.").arg(i);
        for (int c = 0; c < 4; ++c) {
            const QString choice = kind == Short    ? QStringLiteral("w%1").arg(c)
                                   : kind == Medium ? QStringLiteral("a medium sized choice %1").arg(c)
                                                    : QStringLiteral("a long choice %1 that runs on and on, well past the "
                                                                     "right margin of the page, so that it wraps").arg(c);
            question += QStringLiteral("\n%1. %2").arg(letters.at(c)).arg(choice);
        }
        paper.append(i, question, letters.at((i * 7) % 4));
    }
    return paper;
}

QString describe(const QList<Block> &blocks)
{
    QStringList out;
    for (const Block &b : blocks)
        out << (b.kind == Block::Question ? b.number + QLatin1Char(':') : QStringLiteral("P:")) + b.stem.join(QLatin1Char('/'))
                   + (b.choices.isEmpty() ? QString() : QLatin1Char(':') + b.choices.join(QLatin1Char('/')));
    return out.join(QLatin1Char('|'));
}

// The text of a PDF as poppler's extractor reads it, its columns kept.
QString extractedText(const QByteArray &pdf)
{
    QTemporaryFile file;
    if (!file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return {};
    QProcess extractor;
    extractor.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                                  file.fileName(), QStringLiteral("-")});
    extractor.waitForFinished(60000);
    return QString::fromUtf8(extractor.readAllStandardOutput());
}

int pageObjects(const QByteArray &pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return int(QString::fromLatin1(pdf).count(page));
}

} // namespace

class TestPaperPrint : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void paperAndAnswerTextsParse()
    {
        const QString paper = QStringLiteral("\r\n一、单项选择\r\n1.First stem\r\nsecond line\r\nA. a\r\nB. b\r\n\r\nC. c\r\nD. d\r\n"
                                             "2. Two\r\nA. x\r\nB.y\r\n注意：附加题\r\nA. stray\r\n12.\r\nTwelve");
        QCOMPARE(describe(parsePaper(paper)), QStringLiteral("P:一、单项选择|1:First stem/second line:A. a/B. b/C. c/D. d|"
                                                             "2:Two:A. x/B.y|P:注意：附加题|P:A. stray|12:Twelve"));

        QStringList parts;
        for (const KeyPart &part : parseAnswers(QStringLiteral("1.C;  2.A;  附加题答案略\r\n3.D;  4.;  "))) {
            QStringList entries;
            for (const KeyEntry &e : part.entries)
                entries << e.number + QLatin1Char('=') + e.answer;
            parts << (part.entries.isEmpty() ? QLatin1Char('[') + part.text + QLatin1Char(']') : entries.join(QLatin1Char(',')));
        }
        QCOMPARE(parts.join(QLatin1Char(' ')), QStringLiteral("1=C,2=A [附加题答案略] 3=D,4="));
    }

    void choicesStandFourTwoOrOnePerLine()
    {
        const QList<qreal> widths{10, 20, 40, 30}; // the widest and a gap of 5 fill 45
        QCOMPARE(choiceColumns(widths, 180, 5), 4);
        QCOMPARE(choiceColumns(widths, 179, 5), 2);
        QCOMPARE(choiceColumns(widths, 90, 5), 2);
        QCOMPARE(choiceColumns(widths, 89, 5), 1);
    }

    void questionsAreNeverSplit_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("size");
        for (const int count : {1, 15, 200}) {
            QTest::addRow("%d, short choices", count) << count << int(Short);
            QTest::addRow("%d, long choices", count) << count << int(Long);
            QTest::addRow("%d, short, medium and long", count) << count << int(Mixed);
        }
    }

    void questionsAreNeverSplit()
    {
        QFETCH(int, count);
        QFETCH(int, size);
        const PaperBuffers paper = makePaper(count, ChoiceSize(size));
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QPdfWriter writer(&sink);
        setUpPage(writer);
        const PaperLayout layout(paper, &writer);
        const QList<QuestionPlacement> placed = layout.questionPlacements();
        QCOMPARE(placed.size(), count);
        for (int i = 0; i < count; ++i) {
            const QuestionPlacement &q = placed.at(i);
            QCOMPARE(q.number, QString::number(i + 1));
            const ChoiceSize kind = size == Mixed ? ChoiceSize((i + 1) % 3) : ChoiceSize(size);
            QCOMPARE(q.choiceColumns, kind == Short ? 4 : kind == Medium ? 2 : 1);
            QCOMPARE(q.firstPage, q.lastPage);
            QVERIFY(q.bottom <= layout.bodyHeight());
            if (i == 0)
                continue;
            const QuestionPlacement &before = placed.at(i - 1);
            if (q.firstPage == before.lastPage) {
                QVERIFY(q.top >= before.bottom);
            } else { // moved on only because it did not fit below the one before
                QCOMPARE(q.firstPage, before.lastPage + 1);
                QCOMPARE(q.top, 0.0);
                QVERIFY(before.bottom + layout.questionGap() + (q.bottom - q.top) > layout.bodyHeight());
            }
        }
        QCOMPARE(layout.keyFirstPage(), placed.last().lastPage + 1);
        QVERIFY(layout.pageCount() > layout.keyFirstPage());
        if (count == 200)
            QVERIFY(placed.last().lastPage >= 4);

        int pages = 0;
        const QByteArray pdf = renderPdf(paper, &pages);
        QCOMPARE(pages, layout.pageCount());
        QCOMPARE(pageObjects(pdf), layout.pageCount());
    }

    void theExtractedTextHoldsPaperAndKey()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed; scripts/install-deps.sh installs it");
        PaperBuffers paper = makePaper(23, Mixed);
        paper.questions.prepend(QStringLiteral("\r\n一、单项选择，每小题一分"));
        int pages = 0;
        const QString text = extractedText(renderPdf(paper, &pages));
        const QString joined = QString(text).remove(QRegularExpression(QStringLiteral("\\s")));
        for (const QString &expected : {QStringLiteral("英语单项选择练习"), QStringLiteral("班级＿＿＿＿姓名＿＿＿＿得分＿＿＿＿"),
                                        QStringLiteral("一、单项选择，每小题一分"), QStringLiteral("参考答案"),
                                        QStringLiteral("第1页共%1页").arg(pages), QStringLiteral("第%1页共%1页").arg(pages)})
            QVERIFY2(joined.contains(expected), qPrintable(expected));
        for (int i = 1; i <= 23; ++i)
            QVERIFY2(text.contains(QRegularExpression(QStringLiteral("(^|\\s)%1\\.\\s+Stem%1 asks").arg(i))), qPrintable(QString::number(i)));

        // The key in rows of five, each row one line of the page.
        const QString letters = QStringLiteral("ABCD");
        for (int first = 1; first <= 23; first += 5) {
            QStringList row;
            for (int i = first; i < first + 5 && i <= 23; ++i)
                row << QStringLiteral("%1\\. %2").arg(i).arg(letters.at((i * 7) % 4));
            const QRegularExpression line(QStringLiteral("^\\s*") + row.join(QStringLiteral("\\s+")) + QStringLiteral("\\s*$"),
                                          QRegularExpression::MultilineOption);
            QVERIFY2(text.contains(line), qPrintable(line.pattern()));
        }

        // The print preview's painter routine makes the same pages on a printer.
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
        setUpPage(printer);
        QCOMPARE(print(paper, &printer), pages);
        QVERIFY(extractedText(readBytes(printer.outputFileName())).contains(QStringLiteral("Stem23 asks")));
    }

    void printAndExportFromBothPages()
    {
        TempBank bank(sampleRows(12));
        clickButton(showPracticeWindow(), QStringLiteral("Command7"));
        auto *form3 = WindowRegistry::instance().findWindow<CompositionWindow>(QStringLiteral("Form3"));
        QList<PaperBuffers> previewed;
        form3->printing().openPreview = [&](QWidget *, const PaperBuffers &paper) { previewed << paper; };
        QStringList proposals;
        QString answer = QStringLiteral("out/random");
        form3->printing().choosePath = [&](QWidget *, const QString &proposed) {
            proposals << proposed;
            return answer.isEmpty() ? QString() : QDir(bank.dir()).filePath(answer);
        };

        // A paper of answers alone or of blank lines is refused before any dialog opens.
        form3->paperAnswerBox()->setPlainText(QStringLiteral("1.A;  "));
        form3->manualPaperBox()->setPlainText(QStringLiteral("\n  \n"));
        for (const char *button : {"Command21", "Command22", "Command23", "Command24"}) {
            MessageBox::clearShown();
            clickButton(form3, QString::fromLatin1(button));
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::last().text, QStringLiteral("请先组卷！"));
            QCOMPARE(MessageBox::last().title, QStringLiteral("电脑组卷"));
            QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
        }
        QVERIFY(previewed.isEmpty() && proposals.isEmpty());

        form3->manualPaperBox()->clear();
        form3->countBox()->setText(QStringLiteral("3"));
        clickButton(form3, QStringLiteral("Command20"));
        clickButton(form3, QStringLiteral("Command7"));
        form3->manualPaperBox()->appendPlainText(QStringLiteral("edited by hand"));
        clickButton(form3, QStringLiteral("Command21"));
        clickButton(form3, QStringLiteral("Command23"));
        QCOMPARE(previewed.size(), 2);
        QCOMPARE(previewed.at(0).questions, form3->randomPaper().questions);
        QCOMPARE(previewed.at(1).questions, form3->manualPaper().questions);
        QVERIFY(previewed.at(1).questions.endsWith(QStringLiteral("edited by hand")));
        MessageBox::clearShown();

        // The first proposal is in the working folder, later ones in the folder last used.
        QVERIFY(QDir(bank.dir()).mkdir(QStringLiteral("out")));
        clickButton(form3, QStringLiteral("Command22"));
        answer = QStringLiteral("out/manual.PDF");
        clickButton(form3, QStringLiteral("Command24"));
        answer.clear(); // cancelled
        clickButton(form3, QStringLiteral("Command24"));
        QCOMPARE(proposals, QStringList({QDir::current().filePath(QStringLiteral("试卷.pdf")),
                                         QDir(bank.dir()).filePath(QStringLiteral("out/试卷.pdf")),
                                         QDir(bank.dir()).filePath(QStringLiteral("out/试卷.pdf"))}));
        QCOMPARE(QDir(bank.dir() + QStringLiteral("/out")).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QStringLiteral("manual.PDF"), QStringLiteral("random.pdf")}));
        int pages = 0;
        renderPdf(form3->randomPaper(), &pages);
        QCOMPARE(pageObjects(readBytes(bank.dir() + QStringLiteral("/out/random.pdf"))), pages);
        QVERIFY(MessageBox::shown().isEmpty());

        // An export into a folder no one may write in (everyone may read and
        // open it) is told, with the system's reason, and keeps the old PDF.
        const QString locked = QDir(bank.dir()).filePath(QStringLiteral("locked"));
        QVERIFY(QDir(bank.dir()).mkdir(QStringLiteral("locked")));
        const QString oldPdf = locked + QStringLiteral("/试卷.pdf");
        QVERIFY(writeBytes(oldPdf, "%PDF old paper"));
        answer = QStringLiteral("locked/试卷");
        const QFile::Permissions readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                            | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(locked, readable));
        {
            OrdinaryFileAccess ordinary;
            QVERIFY2(ordinary.active(), "the file-system user cannot be switched: permissions would not apply");
            QVERIFY(!canWrite(locked));
            clickButton(form3, QStringLiteral("Command22"));
        }
        QVERIFY(QFile::setPermissions(locked, readable | QFile::WriteOwner));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().title, QStringLiteral("导出PDF"));
        const QString prefix = QStringLiteral("无法保存文件“%1”：").arg(oldPdf);
        QVERIFY2(MessageBox::last().text.startsWith(prefix) && MessageBox::last().text.size() > prefix.size(),
                 qPrintable(MessageBox::last().text));
        QCOMPARE(readBytes(oldPdf), QByteArray("%PDF old paper"));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("试卷.pdf")});

        // Writable again, the same export replaces it.
        MessageBox::clearShown();
        clickButton(form3, QStringLiteral("Command22"));
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(readBytes(oldPdf).startsWith("%PDF-1.4"));
    }
};

QTEST_MAIN(TestPaperPrint)
#include "tst_paperprint.moc"
