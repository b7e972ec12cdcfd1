#include "bankbuilder.h"
#include "banksources.h"
#include "banktasks.h"
#include "catalogue.h"
#include "codepage.h"
#include "exporters.h"
#include "faultsupport.h"
#include "importers.h"
#include "testsupport.h"

#include <QStringEncoder>
#include <QtTest>

namespace {

QString why(const QStringList &lines)
{
    return lines.join(QLatin1Char('\n'));
}

// A parsed question on one line: its line, category, stem, choices, answer and explanation.
QStringList describe(const QList<AikenSource::Question> &questions)
{
    QStringList lines;
    for (const AikenSource::Question &q : questions)
        lines << QStringList{QString::number(q.line), q.category, q.stem, q.choices.join(QLatin1Char('/')), q.answer,
                             q.explanation}.join(QLatin1Char('|'));
    return lines;
}

QList<QuestionRecord> rowsOf(const QString &dbPath)
{
    QList<QuestionRecord> rows;
    QString error;
    if (!BankBuilder::readRows(dbPath, &rows, &error))
        qWarning("%s", qPrintable(error));
    return rows;
}

// Every field of each row on a line of its own, to compare rows whole.
QStringList fieldsOf(const QList<QuestionRecord> &rows)
{
    QStringList lines;
    for (const QuestionRecord &r : rows)
        lines << QStringList{QString::number(r.number), r.question, r.answer, r.category, QString::number(r.mark),
                             r.picked, r.explanation}.join(QLatin1Char('|'));
    return lines;
}

// A row as a new question stands in the bank: 批阅 0, 作答 "E".
QuestionRecord row(qint64 number, const QString &question, const QString &answer, const QString &category,
                   const QString &explanation = QString())
{
    return {number, question, answer, category, 0, QStringLiteral("E"), explanation};
}

// Rows for the formats' corners: GIFT's special characters (in the explanation too), a stem of two lines,
// quotes, Chinese text, a category that comes back later, and a question without explanation.
QList<QuestionRecord> awkwardRows()
{
    return {
        row(1, QStringLiteral("—Could you tell me the way to the station? —______. I'm new here.\nA. Sorry, I don't know\nB. Go ahead\nC. With pleasure\nD. Yes, I could"),
            QStringLiteral("A"), QStringLiteral("情景交际"), QStringLiteral("问路时对方不知道，用“Sorry, I don't know”。")),
        row(2, QStringLiteral("Mark the set {a, b} ~ c = d #1 at 9:30 \\ now: ______.\nA. x{y}\nB. a=b\nC. ~tilde\nD. #hash: yes"),
            QStringLiteral("D"), QStringLiteral("符号 \"引号\""), QStringLiteral("#### {D} ~ = 解析: ANSWER: A \\")),
        row(3, QStringLiteral("Read this:\n\"Tom is ______ honest boy,\" she said.\nA. a\nB. an\nC. the\nD. /"),
            QStringLiteral("B"), QStringLiteral("情景交际")),
        row(4, QStringLiteral("他们 ______ 中国人。\nA. is\nB. am\nC. are\nD. be"), QStringLiteral("C"), QStringLiteral("冠词")),
    };
}

BankTasks::Outcome importInto(const TempBank &bank, const QStringList &inputs, const QString &category = QString())
{
    return BankTasks::importInputs({bank.dbPath(), bank.cataloguePath(), inputs, QString(), category});
}

} // namespace

class TestBankImport : public QObject
{
    Q_OBJECT
private slots:
    void encodingIsDetected()
    {
        const QString text = QStringLiteral("冠词\t“引号” ______ 𠀀\n第二行");
        const QList<std::pair<QByteArray, QString>> cases{
            {QByteArray("\xEF\xBB\xBF") + text.toUtf8(), QStringLiteral("UTF-8（带 BOM）")},
            {QByteArray("\xFF\xFE") + QStringEncoder(QStringEncoder::Utf16LE)(text), QStringLiteral("UTF-16 LE")},
            {QByteArray("\xFE\xFF") + QStringEncoder(QStringEncoder::Utf16BE)(text), QStringLiteral("UTF-16 BE")},
            {text.toUtf8(), QStringLiteral("UTF-8")},
            {CodePage::encode(QString(text).replace(QLatin1Char('\n'), QStringLiteral("\r\n"))), QStringLiteral("GB18030")},
        };
        for (const auto &[bytes, encoding] : cases) {
            const Importers::Decoded decoded = Importers::decodeInput(bytes);
            QCOMPARE(decoded.encoding, encoding);
            QCOMPARE(decoded.text, text);
        }
    }

    void giftMultipleChoiceSubsetAndOtherKindsRejectedByLine()
    {
        QString text = QStringLiteral(
            "// questions for the first unit\n"       // 1
            "$CATEGORY: 介词\n"                        // 2
            "\n"                                       // 3
            "::Q1:: The meeting starts \\{at\\} 9\\:00 {\n" // 4
            "  =at #right: a point of time\n"          // 5
            "  ~on\n"                                  // 6
            "  ~in\n"                                  // 7
            "  ~by ####at 表示钟点 \\# \n"              // 8: general feedback
            "}\n"                                      // 9
            "\n"                                       // 10
            "// a missing word\n"                      // 11
            "Moodle costs {~lots of money =nothing ~a little ~a lot} to download.\n" // 12
            "\n"                                       // 13
            "$CATEGORY: $course$/top/连词\n"          // 14
            "[markdown]Line one\\nline two \\~ \\= \\# \\\\ {~a =b ~c ~d}\n"); // 15
        // Kinds the bank cannot hold, each after a comment (lines 18, 21, …), with words its message must have.
        const QList<std::pair<QString, QString>> rejected{
            {QStringLiteral("Pick one. {=a ~b ~c}"), QStringLiteral("四个答案")},
            {QStringLiteral("Pick one. {=a =b ~c ~d}"), QStringLiteral("正确 2 个")},
            {QStringLiteral("The sun is hot. {T}"), QStringLiteral("四选一")},
            {QStringLiteral("Pick. {~%50%a =b ~c ~d}"), QStringLiteral("分值")},
            {QStringLiteral("Match. {=a -> 1 =b -> 2 =c -> 3 =d -> 4}"), QStringLiteral("配对")},
            {QStringLiteral("Just a description."), QStringLiteral("答案块")},
            {QStringLiteral("Pick one. {=a ~b ~c ~d"), QStringLiteral("}")}, // unclosed: the rest is its block, so last
        };
        for (const auto &kind : rejected)
            text += QStringLiteral("\n// next\n") + kind.first + QLatin1Char('\n');
        const AikenSource::Parse parsed = Importers::parseGift(text, QStringLiteral("in.gift"));
        QCOMPARE(describe(parsed.questions),
                 (QStringList{QStringLiteral("4|介词|The meeting starts {at} 9:00|at/on/in/by|A|at 表示钟点 #"),
                              QStringLiteral("12|介词|Moodle costs ______ to download.|lots of money/nothing/a little/a lot|B|"),
                              QStringLiteral("15|连词|Line one\nline two ~ = # \\|a/b/c/d|B|")}));
        QCOMPARE(parsed.errors.size(), rejected.size());
        for (int i = 0; i < rejected.size(); ++i) {
            QVERIFY2(parsed.errors.at(i).startsWith(QStringLiteral("in.gift:%1: ").arg(18 + 3 * i))
                         && parsed.errors.at(i).contains(rejected.at(i).second),
                     qPrintable(why(parsed.errors)));
        }
    }

    void tsvFromASpreadsheet()
    {
        const QString text = QStringLiteral(
            "类别\t试题\tA\tB\tC\tD\t答案\n"                                   // 1: header
            "冠词\t\"He said, \"\"Open ______ door.\"\"\"\tthe\ta\tan\t/\ta\n" // 2: quotes, lower-case answer
            "\n"                                                               // 3: blank
            "代词\t\"First line\n  second\tline \"\t I \tme\tmy\tmine\tD\t\t\n" // 4-5: line end and tab inside quotes
            "代词\tShe ______ here.\tis\tare\tam\tbe\tA\t\"主语 she\n用 is\"\n"       // 6-7: explanation
            "代词\tToo few columns\tis\tare\tam\tA\n"                             // 8
            "代词\tToo many\tis\tare\tam\tbe\tA\t解析\t多余\n"                    // 9
            "代词\tNo such answer\tis\tare\tam\tbe\tE\n");                   // 10
        const AikenSource::Parse parsed = Importers::parseTsv(text, QStringLiteral("in.tsv"));
        QCOMPARE(parsed.errors,
                 (QStringList{QStringLiteral("in.tsv:8: 应有 7 列（类别、试题、A、B、C、D、答案）或加上解析共 8 列，实有 6 列"),
                              QStringLiteral("in.tsv:9: 应有 7 列（类别、试题、A、B、C、D、答案）或加上解析共 8 列，实有 9 列"),
                              QStringLiteral("in.tsv:10: 答案“E”不是 A、B、C、D 之一")}));

        QCOMPARE(describe(parsed.questions),
                 (QStringList{QStringLiteral("2|冠词|He said, \"Open ______ door.\"|the/a/an//|A|"),
                              QStringLiteral("4|代词|First line\nsecond\tline|I/me/my/mine|D|"),
                              QStringLiteral("6|代词|She ______ here.|is/are/am/be|A|主语 she 用 is")}));

        Importers::Format format = Importers::Format::Aiken;
        QVERIFY(Importers::guessFormat(QStringLiteral("in.txt"), text, &format));
        QCOMPARE(format, Importers::Format::Tsv);
    }

    void exportThenImportGivesIdenticalRows_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("withExplanations");
        QTest::newRow("Aiken") << QStringLiteral("aiken") << false;
        QTest::newRow("Aiken with explanations") << QStringLiteral("aiken") << true;
        QTest::newRow("GIFT") << QStringLiteral("gift") << true;
    }

    void exportThenImportGivesIdenticalRows()
    {
        QFETCH(QString, format);
        QFETCH(bool, withExplanations);
        TempBank from(awkwardRows());
        const QString exported = QDir(from.dir()).filePath(QStringLiteral("bank.") + format);
        const BankTasks::Outcome written = BankTasks::exportBank({from.dbPath(), format, exported, false, withExplanations});
        QVERIFY2(written.status == BankTasks::Ok, qPrintable(why(written.problems)));
        QCOMPARE(written.warnings.size(), withExplanations ? 0 : 1); // the explanations left out are told

        TempBank to({});
        const BankTasks::Outcome read = importInto(to, {exported});
        QVERIFY2(read.status == BankTasks::Ok, qPrintable(why(read.problems)));
        QVERIFY2(read.warnings.isEmpty(), qPrintable(why(read.warnings))); // no row was written twice
        QList<QuestionRecord> expected = awkwardRows();
        for (QuestionRecord &r : expected)
            r.explanation = withExplanations ? r.explanation : QString();
        QCOMPARE(fieldsOf(rowsOf(to.dbPath())), fieldsOf(expected));
        QCOMPARE(Catalogue::load(to.cataloguePath()).labels,
                 (QStringList{QStringLiteral("全部中考试题"), QStringLiteral("情景交际"), QStringLiteral("符号 \"引号\""),
                              QStringLiteral("冠词")}));
    }

    void aRowThatWouldNotReadBackIsNotExported()
    {
        // The second stem line looks like a choice to an Aiken reader; GIFT keeps it.
        QList<QuestionRecord> rows = awkwardRows();
        rows[2].question = QStringLiteral("Which is right?\nA. as a stem line\nA. a\nB. an\nC. the\nD. /");
        const Exporters::Result aiken = Exporters::toAiken(QStringLiteral("english.db"), rows);
        QCOMPARE(aiken.problems.size(), 1);
        QVERIFY2(aiken.problems.first().startsWith(QStringLiteral("english.db:题号 3: ")), qPrintable(why(aiken.problems)));
        QVERIFY(aiken.text.isEmpty());
        const Exporters::Result gift = Exporters::toGift(QStringLiteral("english.db"), rows);
        QVERIFY2(gift.problems.isEmpty(), qPrintable(why(gift.problems)));

        // A row edited out of the bank's layout is named, and no file is written.
        rows[2].question = QStringLiteral("Only a stem now");
        TempBank bank(rows);
        const QString output = QDir(bank.dir()).filePath(QStringLiteral("out.gift"));
        const BankTasks::Outcome outcome = BankTasks::exportBank({bank.dbPath(), QStringLiteral("gift"), output, false});
        QCOMPARE(outcome.status, int(BankTasks::Problems));
        QVERIFY2(outcome.problems.first().startsWith(bank.dbPath() + QStringLiteral(":题号 3: ")), qPrintable(why(outcome.problems)));
        QVERIFY(!QFile::exists(output));
    }

    void reimportingAddsNothing()
    {
        TempBank bank(sampleRows(8), {QStringLiteral("全部中考试题"), QStringLiteral("甲类")});
        // An old catalogue whose last line has no line end: its bytes are kept.
        const QByteArray oldCatalogue = CodePage::encode(QStringLiteral("全部中考试题\r\n甲类"));
        QVERIFY(writeBytes(bank.cataloguePath(), oldCatalogue));
        QVERIFY(bank.exec(QStringLiteral("DROP TABLE jx"))); // a bank made before explanations existed

        // The skipped duplicates carry explanations of their own: they add none.
        const QString text = QStringLiteral(
            "$CATEGORY: 乙类\n\n"
            "New one ______.\nA. a\nB. b\nC. c\nD. d\nANSWER: B\n解析: 新题一的解析\n\n"
            // Question 3 of the bank (line 11), with other blanks and case, its choices shuffled.
            "question 3  ______.\nA. four\nB. ONE\nC. three\nD. two\nANSWER: C\n解析: 重复题的解析\n\n"
            "New two ______.\nA. a\nB. b\nC. c\nD. d\nANSWER: D\n\n"
            // New one again (line 26), after it in this very input.
            "New one ______.\nA. d\nB. c\nC. b\nD. a\nANSWER: C\n解析: 另一个解析\n");
        const QString input = writtenFile(bank.dir(), QStringLiteral("more.txt"), text.toUtf8());

        const BankTasks::Outcome first = importInto(bank, {input});
        QVERIFY2(first.status == BankTasks::Ok, qPrintable(why(first.problems)));
        QCOMPARE(first.warnings, (QStringList{QStringLiteral("%1:11: 与 %2:题号 3 的试题重复，已跳过").arg(input, bank.dbPath()),
                                              QStringLiteral("%1:26: 与 %1:3 的试题重复，已跳过").arg(input)}));

        const QList<QuestionRecord> after = rowsOf(bank.dbPath());
        const QString abcd = QStringLiteral("\nA. a\nB. b\nC. c\nD. d");
        QCOMPARE(fieldsOf(after),
                 fieldsOf(sampleRows(8))
                     + fieldsOf({row(9, QStringLiteral("New one ______.") + abcd, QStringLiteral("B"), QStringLiteral("乙类"),
                                     QStringLiteral("新题一的解析")),
                                 row(10, QStringLiteral("New two ______.") + abcd, QStringLiteral("D"), QStringLiteral("乙类"))}));
        QCOMPARE(queryNumber(bank.dbPath(), QStringLiteral("SELECT count(*) FROM jx")), 1); // none stray
        const QByteArray extended = oldCatalogue + CodePage::encode(QStringLiteral("\r\n乙类\r\n"));
        QCOMPARE(readBytes(bank.cataloguePath()), extended);

        const BankTasks::Outcome second = importInto(bank, {input});
        QCOMPARE(second.status, int(BankTasks::Ok));
        QCOMPARE(second.warnings.size(), 4);
        QCOMPARE(fieldsOf(rowsOf(bank.dbPath())), fieldsOf(after));
        QCOMPARE(readBytes(bank.cataloguePath()), extended);
    }

    void malformedOrMisnumberedInputImportsNothing()
    {
        TempBank bank(sampleRows(4), {QStringLiteral("全部中考试题"), QStringLiteral("甲类")});
        const QByteArray catalogue = readBytes(bank.cataloguePath());
        const QString good = writtenFile(bank.dir(), QStringLiteral("good.gift"), "$CATEGORY: 乙类\n\nFine. {=a ~b ~c ~d}\n");
        const QString bad = writtenFile(bank.dir(), QStringLiteral("bad.gift"),
                                        "$CATEGORY: 乙类\n\nAlso fine. {=a ~b ~c ~d}\n\nBroken. {=a ~b ~c}\n");

        const BankTasks::Outcome outcome = importInto(bank, {good, bad});
        QCOMPARE(outcome.status, int(BankTasks::Problems));
        QVERIFY2(outcome.problems.first().startsWith(bad + QStringLiteral(":5: ")), qPrintable(why(outcome.problems)));
        QCOMPARE(rowsOf(bank.dbPath()).size(), 4);
        QCOMPARE(readBytes(bank.cataloguePath()), catalogue);

        // A question without a category takes the import's; a file neither UTF-8 nor marked is read as GB18030.
        const QString plain = writtenFile(bank.dir(), QStringLiteral("plain.txt"),
                                          CodePage::encode(QStringLiteral("—你好吗？ “______”\r\nA. a\r\nB. b\r\nC. c\r\nD. d\r\nANSWER: A\r\n")));
        QCOMPARE(importInto(bank, {plain}).status, int(BankTasks::Problems));
        QCOMPARE(importInto(bank, {plain}, QStringLiteral("甲类")).status, int(BankTasks::Ok));
        QCOMPARE(rowsOf(bank.dbPath()).last().category, QStringLiteral("甲类"));
        QCOMPARE(rowsOf(bank.dbPath()).last().question, QStringLiteral("—你好吗？ “______”\nA. a\nB. b\nC. c\nD. d"));
        QCOMPARE(readBytes(bank.cataloguePath()), catalogue);

        // A question and its explanation arrive together or not at all.
        QVERIFY(bank.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON jx BEGIN SELECT RAISE(ABORT, 'refused'); END")));
        const QString explained = writtenFile(bank.dir(), QStringLiteral("explained.gift"),
                                              "$CATEGORY: 甲类\n\nExplained. {=a ~b ~c ~d ####why}\n");
        QCOMPARE(importInto(bank, {explained}).status, int(BankTasks::FileError));
        QCOMPARE(rowsOf(bank.dbPath()).size(), 5);

        // Numbers must run without gaps.
        QVERIFY(bank.exec(QStringLiteral("DROP TRIGGER refuse")));
        QVERIFY(bank.exec(QStringLiteral("DELETE FROM zk WHERE \"题号\" = 2")));
        const BankTasks::Outcome gap = importInto(bank, {explained});
        QCOMPARE(gap.status, int(BankTasks::Problems));
        QVERIFY2(gap.problems.first().startsWith(bank.dbPath() + QStringLiteral(":题号 5: ")), qPrintable(why(gap.problems)));
        QCOMPARE(rowsOf(bank.dbPath()).size(), 4);

        // Nor may an explanation wait in jx under the number the next question would take.
        QVERIFY(bank.exec(QStringLiteral("UPDATE zk SET \"题号\" = 2 WHERE \"题号\" = 5")));
        QVERIFY(bank.exec(QStringLiteral("INSERT INTO jx VALUES (5, '别的题的解析')")));
        const BankTasks::Outcome stray = importInto(bank, {explained});
        QCOMPARE(stray.status, int(BankTasks::Problems));
        QVERIFY2(stray.problems.first().startsWith(bank.dbPath() + QStringLiteral(":题号 5: ")), qPrintable(why(stray.problems)));
        QCOMPARE(rowsOf(bank.dbPath()).size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestBankImport)
#include "tst_bankimport.moc"
