#include "score.h"

#include <QtTest>

#include <limits>

class TestScore : public QObject
{
    Q_OBJECT
private slots:
    void rateIsTheExactFloor_data()
    {
        QTest::addColumn<qint32>("right");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("rate");
        // Cases a floating-point quotient floors one too low.
        QTest::newRow("29 of 100") << 29 << qint64(100) << 29;
        QTest::newRow("29 of 50") << 29 << qint64(50) << 58;
        // Rounded down, never up.
        QTest::newRow("2 of 3") << 2 << qint64(3) << 66;
        QTest::newRow("199 of 200") << 199 << qint64(200) << 99;
        QTest::newRow("nothing answered") << 0 << qint64(0) << 0;
        // 100 × a count near the 32-bit limit does not overflow.
        const qint32 big = std::numeric_limits<qint32>::max();
        QTest::newRow("largest counts") << big << qint64(big) + big << 50;
        QTest::newRow("largest all right") << big << qint64(big) << 100;
    }

    void rateIsTheExactFloor()
    {
        QFETCH(qint32, right);
        QFETCH(qint64, total);
        QFETCH(int, rate);
        QCOMPARE(int(Score::rate(right, total)), rate);
    }

    // The comment of each band, at the band's edges; none without answers.
    void bandsAtTheirEdges_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        const QString usual = QStringLiteral("自动批阅");
        const QString top = QStringLiteral("你真是太棒了,重点中学才是你唯一的选择！");
        const QString excellent = QStringLiteral("你很优秀,重点中学正在向你招手！");
        const QString good = QStringLiteral("好好努力吧，重点中学正在向你招手！");
        const QString fair = QStringLiteral("努力吧,《Quorvane》会助你一臂之力考取重点中学的！");
        const QString low = QStringLiteral("好好努力吧，《Quorvane》会帮助你走向成功！");
        QTest::newRow("100") << 100 << top << usual;
        QTest::newRow("99") << 99 << excellent << QStringLiteral("自云批阅");
        QTest::newRow("90") << 90 << excellent << QStringLiteral("自云批阅");
        QTest::newRow("89") << 89 << good << usual;
        QTest::newRow("80") << 80 << good << usual;
        QTest::newRow("79") << 79 << fair << usual;
        QTest::newRow("60") << 60 << fair << usual;
        QTest::newRow("59") << 59 << low << usual;
        QTest::newRow("0") << 0 << low << usual;
    }

    void bandsAtTheirEdges()
    {
        QFETCH(int, rate);
        QFETCH(QString, text);
        QFETCH(QString, title);
        const auto comment = Score::comment(qint16(rate), 10);
        QVERIFY(comment.has_value());
        QCOMPARE(comment->text, text);
        QCOMPARE(comment->title, title);
        if (rate == 0)
            QVERIFY(!Score::comment(0, 0).has_value()); // nothing answered: no comment
    }
};

QTEST_APPLESS_MAIN(TestScore)
#include "tst_score.moc"
