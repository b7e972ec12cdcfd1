#include "score.h"

#include <algorithm>

namespace Score {

qint16 rate(qint32 right, qint64 total)
{
    if (total <= 0 || right <= 0)
        return 0;
    // 64-bit product: 100 × a 32-bit count cannot overflow.
    const qint64 percent = (qint64(right) * 100) / total;
    return qint16(std::clamp<qint64>(percent, 0, 100));
}

QString rateText(qint16 rate)
{
    const QString digits = QString::number(rate);
    return (rate >= 0 ? QStringLiteral(" ") + digits : digits) + QStringLiteral("%");
}

std::optional<Comment> comment(qint16 rate, qint64 total)
{
    const QString usualTitle = QStringLiteral("自动批阅");
    if (rate == 100)
        return Comment{QStringLiteral("你真是太棒了,重点中学才是你唯一的选择！"), usualTitle};
    if (rate >= 90 && rate <= 99)
        // This band's title has always read "自云批阅"; users know it so.
        return Comment{QStringLiteral("你很优秀,重点中学正在向你招手！"), QStringLiteral("自云批阅")};
    if (rate >= 80 && rate <= 89)
        return Comment{QStringLiteral("好好努力吧，重点中学正在向你招手！"), usualTitle};
    if (rate >= 60 && rate <= 79)
        return Comment{QStringLiteral("努力吧,《Quorvane》会助你一臂之力考取重点中学的！"), usualTitle};
    if (total != 0 && rate < 60)
        return Comment{QStringLiteral("好好努力吧，《Quorvane》会帮助你走向成功！"), usualTitle};
    return std::nullopt;
}

} // namespace Score
