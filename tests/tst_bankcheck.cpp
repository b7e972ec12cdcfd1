#include "bankcheck.h"
#include "banksources.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

// True when some problem starts with the place and mentions the words.
bool hasProblem(const QStringList &problems, const QString &place, const QString &words)
{
    return std::any_of(problems.cbegin(), problems.cend(), [&](const QString &problem) {
        return problem.startsWith(place + QLatin1Char(':')) && problem.contains(words);
    });
}

QString why(const QStringList &problems)
{
    return problems.isEmpty() ? QStringLiteral("(no problem reported)") : problems.join(QLatin1Char('\n'));
}

const QString kBank = QStringLiteral("english.db");
const QString kCatalogue = QStringLiteral("mulu.txt");

// A sound bank of eight explained rows and its catalogue, for one fault to be put in. Rules shared with
// sources (answer letters, balance) are tested on sources; here the bank's own and the stem/choices split.
struct Bank
{
    QList<QuestionRecord> rows = sampleRows(8);
    QStringList labels{QStringLiteral("全部中考试题"), QStringLiteral("甲类")};
    QMap<qint64, QString> explanations;
    Bank()
    {
        for (const QuestionRecord &row : std::as_const(rows))
            explanations.insert(row.number, QStringLiteral("说明 %1").arg(row.number));
    }
};

struct BankFault
{
    const char *name;
    void (*put)(Bank &);
    const char *place; // where the problem must be named
    const char *words;
};

const BankFault kBankFaults[] = {
    {"gap in 题号", [](Bank &b) { b.rows[3].number = 9; }, "english.db:题号 4", "缺少"},
    {"orphan label", [](Bank &b) { b.labels << QStringLiteral("乙类"); }, "mulu.txt:3", "没有任何试题"},
    {"category not in catalogue", [](Bank &b) { b.rows[5].category = QStringLiteral("丙类"); }, "english.db:题号 6",
     "不在目录"},
    {"no whole-bank line", [](Bank &b) { b.labels.removeFirst(); }, "mulu.txt", "全部中考试题"},
    {"three choices",
     [](Bank &b) { b.rows[4].question = QStringLiteral("Question 5 ______.\nA. one\nB. two\nC. three"); },
     "english.db:题号 5", "3 个选项"},
    {"duplicate",
     [](Bank &b) { b.rows[7].question = QStringLiteral("question  1 ______.\nA. One\nB. two\nC. three\nD. four"); },
     "english.db:题号 8", "english.db:题号 1 的试题重复"},
    {"empty 解析", [](Bank &b) { b.explanations[3] = QStringLiteral(" "); }, "english.db:题号 3", "解析为空"},
    {"no 解析, required", [](Bank &b) { b.explanations.remove(5); }, "english.db:题号 5", "没有解析"},
};

} // namespace

class TestBankCheck : public QObject
{
    Q_OBJECT
private slots:
    void brokenSourcesAreNamedByFileAndLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("lineText"); // the line the problem must name
        QTest::addColumn<QString>("words");

        // The eight sound blocks of a category with block i made into block.
        const QStringList good = sampleBlocks(8);
        const auto with = [&good](int i, const QString &block) {
            QStringList blocks = good;
            blocks[i] = block;
            return aikenSource(QStringLiteral("冠词"), blocks);
        };
        QTest::newRow("explanation before the choices")
            << with(1, QString(good.at(1)).replace(QStringLiteral("A. a\n"), QStringLiteral("解析: 放错了\nA. a\n")))
            << QStringLiteral("解析: 放错了") << QStringLiteral("紧跟在 ANSWER 行之后");
        QTest::newRow("explanation after a blank line") << with(2, good.at(2) + QStringLiteral("\n解析: 隔了一行\n"))
                                                        << QStringLiteral("解析: 隔了一行") << QStringLiteral("紧跟在 ANSWER 行之后");
        QTest::newRow("full-width colon") << with(5, good.at(5) + QStringLiteral("解析：全角冒号\n"))
                                          << QStringLiteral("解析：全角冒号") << QStringLiteral("英文冒号");
        QTest::newRow("empty explanation") << with(6, good.at(6) + QStringLiteral("解析: \n")) << QStringLiteral("解析: ")
                                           << QStringLiteral("没有内容");
        QTest::newRow("three choices") << with(2, QString(good.at(2)).remove(QStringLiteral("D. /\n")))
                                       << QStringLiteral("Sample 3 is ______ question.") << QStringLiteral("3 个选项");
        QTest::newRow("answer E")
            << with(4, QString(good.at(4)).replace(QStringLiteral("ANSWER: A"), QStringLiteral("ANSWER: E")))
            << QStringLiteral("ANSWER: E") << QStringLiteral("“E”");
        QTest::newRow("unbalanced") << aikenSource(QStringLiteral("冠词"), sampleBlocks(8, QStringLiteral("AAAB")))
                                    << QStringLiteral("Sample 1 is ______ question.") << QStringLiteral("不均衡");
        QTest::newRow("no category") << sampleBlocks(4).join(QLatin1Char('\n'))
                                     << QStringLiteral("Sample 1 is ______ question.") << QStringLiteral("$CATEGORY");
    }

    void brokenSourcesAreNamedByFileAndLine()
    {
        QFETCH(QString, text);
        QFETCH(QString, lineText);
        QFETCH(QString, words);

        QTemporaryDir dir;
        const QString path = writtenFile(dir.path(), QStringLiteral("source.txt"), text.toUtf8());
        const QStringList problems = BankCheck::checkSources({path});
        const QString place = QStringLiteral("%1:%2").arg(path).arg(lineOf(text, lineText));
        QVERIFY2(hasProblem(problems, place, words), qPrintable(place + QStringLiteral(" / ") + why(problems)));
    }

    void aDuplicateInAnotherFileCounts()
    {
        QTemporaryDir dir;
        const QString first = writtenFile(dir.path(), QStringLiteral("a.txt"),
                                          aikenSource(QStringLiteral("甲"), sampleBlocks(8)).toUtf8());
        // Sample 1 again, with other blanks, other case and its choices shuffled.
        const QStringList others = sampleBlocks(8, QStringLiteral("BADC"), QStringLiteral("b"))
                                << QStringLiteral("SAMPLE 1   is ______  Question.\nA. the\nB. /\nC. a\nD. AN\nANSWER: C\n");
        const QString second = writtenFile(dir.path(), QStringLiteral("b.txt"), aikenSource(QStringLiteral("乙"), others).toUtf8());
        const QStringList problems = BankCheck::checkSources({first, second});
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().startsWith(second + QStringLiteral(":59: ")), qPrintable(why(problems)));
        QVERIFY2(problems.first().contains(first + QStringLiteral(":3")), qPrintable(why(problems)));

        // A file that is not UTF-8 is named with the line of its first foreign byte.
        QVERIFY(writeBytes(second, "$CATEGORY: x\n\nfine\n\xB9\xDA\xB4\xCA\n"));
        const QStringList encoding = BankCheck::checkSources({second});
        QVERIFY2(hasProblem(encoding, second + QStringLiteral(":4"), QStringLiteral("UTF-8")), qPrintable(why(encoding)));
    }

    void brokenBanksAreNamedByNumberOrCatalogueLine_data()
    {
        QTest::addColumn<int>("fault");
        for (int i = 0; i < int(std::size(kBankFaults)); ++i)
            QTest::newRow(kBankFaults[i].name) << i;
    }

    void brokenBanksAreNamedByNumberOrCatalogueLine()
    {
        QFETCH(int, fault);
        const BankFault &f = kBankFaults[fault];
        Bank bank;
        f.put(bank);
        const QStringList problems = BankCheck::checkRows(kBank, bank.rows, kCatalogue, bank.labels)
                                   + BankCheck::checkExplanations(kBank, bank.rows, bank.explanations, true);
        const QString place = QString::fromUtf8(f.place);
        QVERIFY2(hasProblem(problems, place, QString::fromUtf8(f.words)), qPrintable(place + QStringLiteral(" / ") + why(problems)));
    }

    void checkBankReadsTheFiles()
    {
        TempBank bank(sampleRows(8), {QStringLiteral("全部中考试题"), QStringLiteral("甲类")});
        // A row of jx without its question is named by its 题号; a bank without jx, as every older bank is, is sound.
        QVERIFY(bank.exec(QStringLiteral("INSERT INTO jx VALUES (1, '冠词的用法'), (9, '没有这道题')")));
        QCOMPARE(BankCheck::checkBank(bank.dbPath(), bank.cataloguePath()),
                 QStringList{bank.dbPath() + QStringLiteral(":题号 9: 解析没有对应的试题（试题表 zk 中没有这个题号）")});
        QVERIFY(bank.exec(QStringLiteral("DROP TABLE jx")));
        QStringList problems = BankCheck::checkBank(bank.dbPath(), bank.cataloguePath());
        QVERIFY2(problems.isEmpty(), qPrintable(why(problems)));
        QCOMPARE(BankCheck::checkBank(bank.dbPath(), bank.cataloguePath(), nullptr, true).size(), 8);

        QVERIFY(bank.exec(QStringLiteral("UPDATE zk SET \"批阅\" = 1, \"作答\" = 'A' WHERE \"题号\" = 2")));
        bool unreadable = true;
        problems = BankCheck::checkBank(bank.dbPath(), bank.cataloguePath(), &unreadable);
        QCOMPARE(problems.size(), 2);
        QVERIFY2(hasProblem(problems, bank.dbPath() + QStringLiteral(":题号 2"), QStringLiteral("批阅")), qPrintable(why(problems)));
        QVERIFY2(hasProblem(problems, bank.dbPath() + QStringLiteral(":题号 2"), QStringLiteral("作答")), qPrintable(why(problems)));
        QVERIFY(!unreadable);

        QVERIFY(QFile::remove(bank.cataloguePath()));
        problems = BankCheck::checkBank(bank.dbPath(), bank.cataloguePath(), &unreadable);
        QVERIFY(unreadable);
        QVERIFY2(hasProblem(problems, bank.cataloguePath(), QStringLiteral("找不到")), qPrintable(why(problems)));
    }

    void aBankMayHoldMoreThan32767Questions()
    {
        // Counts are 32-bit: numbering past the old 16-bit limit is no problem, a gap still is.
        QList<QuestionRecord> rows(40000);
        for (int i = 0; i < rows.size(); ++i)
            rows[i].number = i + 1;
        QVERIFY(BankCheck::checkNumbers(kBank, rows).isEmpty());
        rows[32767].number = 40001;
        const QStringList problems = BankCheck::checkNumbers(kBank, rows);
        QVERIFY2(hasProblem(problems, QStringLiteral("english.db:题号 32768"), QStringLiteral("缺少")), qPrintable(why(problems)));
    }

    void theShippedSourcesPassTheChecker()
    {
        const QDir dir(QStringLiteral(QV_QUESTIONS_DIR));
        QStringList paths;
        for (const QFileInfo &file : dir.entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            paths << file.filePath();
        QList<AikenSource::Question> questions;
        const QStringList problems = BankCheck::checkSources(paths, &questions) + BankCheck::missingExplanations(questions);
        QVERIFY2(problems.isEmpty(), qPrintable(why(problems)));

        // What the bank promises: 3,100 explained questions or more, 17 topics of 60 or more, then 模拟试卷001–120 of 15.
        QMap<QString, int> perCategory;
        QStringList order;
        for (const AikenSource::Question &q : std::as_const(questions)) {
            if (!perCategory.contains(q.category))
                order << q.category;
            ++perCategory[q.category];
        }
        QVERIFY2(questions.size() >= 3100, qPrintable(QString::number(questions.size())));
        QCOMPARE(order.size(), 17 + 120);
        for (int i = 0; i < order.size(); ++i) {
            if (i < 17) {
                QVERIFY2(perCategory.value(order.at(i)) >= 60, qPrintable(order.at(i)));
            } else {
                QCOMPARE(order.at(i), QStringLiteral("模拟试卷%1").arg(i - 16, 3, 10, QLatin1Char('0')));
                QCOMPARE(perCategory.value(order.at(i)), 15);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestBankCheck)
#include "tst_bankcheck.moc"
