#include "countinput.h"
#include "randomdraw.h"

#include <QSet>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <numeric>

using CountInput::Verdict;

namespace {

// Hands out the given numbers in turn, then warns if asked again.
RandomDraw::UniformSource sequence(const QList<double> &values)
{
    auto index = std::make_shared<qsizetype>(0);
    return [values, index] {
        if (*index >= values.size()) {
            qWarning("uniform source exhausted");
            return 0.0;
        }
        return values.at((*index)++);
    };
}

} // namespace

Q_DECLARE_METATYPE(Verdict)

class TestCountDraw : public QObject
{
    Q_OBJECT
private slots:
    // A number as people type it, or none (NaN).
    void numbersAsPeopleTypeThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("blanks around") << QStringLiteral("  60\t") << 60.0;
        QTest::newRow("plus") << QStringLiteral("+5") << 5.0;
        QTest::newRow("leading point") << QStringLiteral(".5") << 0.5;
        QTest::newRow("trailing point") << QStringLiteral("5.") << 5.0;
        QTest::newRow("exponent") << QStringLiteral("1e2") << 100.0;
        QTest::newRow("signed exponent") << QStringLiteral("15E-1") << 1.5;
        QTest::newRow("leading zeros") << QStringLiteral("007") << 7.0;
        QTest::newRow("full-width") << QStringLiteral("　１２．５　") << 12.5;
        for (const char *t : {"", "   ", "abc", "1.2.3", "1e", "e5", ".", "+", "+-5", "0x10", "inf", "nan", "1,000",
                              "5 6", "12a", "a12", "1e2.5"})
            QTest::addRow("not a number: \"%s\"", t) << QString::fromLatin1(t) << qQNaN();
        QTest::newRow("not a number: chinese numeral") << QStringLiteral("六十") << qQNaN();
    }

    void numbersAsPeopleTypeThem()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        const std::optional<double> parsed = CountInput::parseNumber(text);
        QCOMPARE(parsed.has_value(), !std::isnan(value));
        if (parsed)
            QCOMPARE(*parsed, value);
    }

    void checksInTheirOrder_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("bankSize");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<qint32>("count");
        QTest::newRow("empty") << QString() << 57 << Verdict::NotANumber << 0;
        QTest::newRow("0.4") << QStringLiteral("0.4") << 57 << Verdict::BelowOne << 0;
        QTest::newRow("negative") << QStringLiteral("-3") << 57 << Verdict::BelowOne << 0;
        QTest::newRow("200.5") << QStringLiteral("200.5") << 300 << Verdict::AboveLimit << 0;
        QTest::newRow("201 before the bank size") << QStringLiteral("201") << 57 << Verdict::AboveLimit << 0;
        QTest::newRow("huge") << QStringLiteral("1e999") << 300 << Verdict::AboveLimit << 0;
        QTest::newRow("60 of 57") << QStringLiteral("60") << 57 << Verdict::AboveBankSize << 0;
        QTest::newRow("57.5 of 57") << QStringLiteral("57.5") << 57 << Verdict::AboveBankSize << 0;
        QTest::newRow("empty bank") << QStringLiteral("1") << 0 << Verdict::AboveBankSize << 0;
        QTest::newRow("200 of 200") << QStringLiteral("200") << 200 << Verdict::Accepted << 200;
        QTest::newRow("200 of 199") << QStringLiteral("200") << 199 << Verdict::AboveBankSize << 0;
        // Fractions round half to even.
        QTest::newRow("2.5") << QStringLiteral("2.5") << 57 << Verdict::Accepted << 2;
        QTest::newRow("3.5") << QStringLiteral("3.5") << 57 << Verdict::Accepted << 4;
        QTest::newRow("199.5") << QStringLiteral("199.5") << 300 << Verdict::Accepted << 200;
        QTest::newRow("2.5001") << QStringLiteral("2.5001") << 57 << Verdict::Accepted << 3;
        QTest::newRow("57 of 57") << QStringLiteral(" 57 ") << 57 << Verdict::Accepted << 57;
    }

    void checksInTheirOrder()
    {
        QFETCH(QString, text);
        QFETCH(qint32, bankSize);
        QFETCH(Verdict, verdict);
        QFETCH(qint32, count);
        const CountInput::Check check = CountInput::check(text, bankSize);
        QCOMPARE(check.verdict, verdict);
        QCOMPARE(check.count, count);
    }

    void drawMapsRedrawsDuplicatesAndStaysInRange()
    {
        // x = floor(r * n) + 1: 0.0 -> 1, 0.05 -> 1 again (drawn anew), 0.5 -> 6,
        // 0.5 again, 0.95 -> 10, 0.3 -> 4.
        QCOMPARE(RandomDraw::distinctNumbers(4, 10, sequence({0.0, 0.05, 0.5, 0.5, 0.95, 0.3})),
                 (QList<qint32>{1, 6, 10, 4}));
        const double justBelowOne = std::nextafter(1.0, 0.0);
        QCOMPARE(RandomDraw::distinctNumbers(1, 3, sequence({justBelowOne})), QList<qint32>{3});
        QCOMPARE(RandomDraw::distinctNumbers(1, 32767, sequence({justBelowOne})), QList<qint32>{32767});
        QCOMPARE(RandomDraw::distinctNumbers(1, 1, sequence({0.7})), QList<qint32>{1});
        // Never more numbers than the range holds, so the drawing always ends.
        QCOMPARE(RandomDraw::distinctNumbers(3, 2, sequence({0.0, 0.9})), (QList<qint32>{1, 2}));
        QVERIFY(RandomDraw::distinctNumbers(5, 0, sequence({})).isEmpty());
        QVERIFY(RandomDraw::distinctNumbers(0, 5, sequence({})).isEmpty());
    }

    void drawingTheWholeBankGivesEveryNumberOnce()
    {
        for (const qint32 n : {1, 2, 57, 200}) {
            QList<qint32> numbers = RandomDraw::distinctNumbers(n, n, RandomDraw::clockSeededSource());
            std::sort(numbers.begin(), numbers.end());
            QList<qint32> expected(n);
            std::iota(expected.begin(), expected.end(), 1);
            QCOMPARE(numbers, expected);
        }
    }

    void clockDrawsNeverRepeatAndDiffer()
    {
        QSet<QList<qint32>> papers;
        for (int round = 0; round < 200; ++round) {
            const QList<qint32> numbers = RandomDraw::distinctNumbers(200, 250, RandomDraw::clockSeededSource());
            const QSet<qint32> unique(numbers.cbegin(), numbers.cend());
            QCOMPARE(unique.size(), 200);
            QVERIFY(std::all_of(numbers.cbegin(), numbers.cend(), [](qint32 x) { return x >= 1 && x <= 250; }));
            papers.insert(numbers);
        }
        QCOMPARE(papers.size(), 200); // a fresh seed gives another paper every time

        const RandomDraw::UniformSource uniform = RandomDraw::clockSeededSource();
        double low = 1.0;
        double high = 0.0;
        for (int i = 0; i < 100000; ++i) {
            const double r = uniform();
            QVERIFY(r >= 0.0 && r < 1.0);
            low = std::min(low, r);
            high = std::max(high, r);
        }
        QVERIFY(low < 0.001 && high > 0.999); // spread over the whole interval
    }
};

QTEST_GUILESS_MAIN(TestCountDraw)
#include "tst_countdraw.moc"
