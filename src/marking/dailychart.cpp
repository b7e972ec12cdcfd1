#include "dailychart.h"

#include "score.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kBarColour(110, 160, 220);
const QColor kLineColour(204, 64, 56);
const QColor kGridColour(225, 225, 225);

} // namespace

DailyChart::DailyChart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DailyChart::setDays(const QList<LearningRecord::DayLine> &days)
{
    m_days = days;
    update();
}

qint64 DailyChart::scaleTop(qint64 max)
{
    // Even tops, so that the middle line has a whole number too.
    for (qint64 power = 1;; power *= 10) {
        for (qint64 step : {2, 4, 6, 8, 10}) {
            if (step * power >= max)
                return step * power;
        }
        if (power > INT64_MAX / 100)
            return max;
    }
}

void DailyChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const QFontMetrics fm = p.fontMetrics(); // the device's, which a grab may change
    qint64 most = 0;
    for (const LearningRecord::DayLine &day : m_days)
        most = qMax(most, day.answers);
    const qint64 top = scaleTop(most);

    const int legendHeight = fm.height() + 4;
    const int leftAxis = fm.horizontalAdvance(QString::number(top)) + 10;
    const int rightAxis = fm.horizontalAdvance(QStringLiteral("100%")) + 10;
    const QRect plot(leftAxis, 4 + legendHeight, width() - leftAxis - rightAxis,
                     height() - 4 - legendHeight - fm.height() - 8);
    if (plot.width() <= 0 || plot.height() <= 0 || m_days.isEmpty())
        return;

    // Scales: 0, the middle and the top, answers on the left, the rate on the right.
    for (int part = 0; part <= 2; ++part) {
        const int y = plot.bottom() - plot.height() * part / 2;
        p.setPen(part == 0 ? QColor(120, 120, 120) : kGridColour);
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(Qt::black);
        const QRect row(0, y - fm.height() / 2, leftAxis - 4, fm.height());
        p.drawText(row, Qt::AlignRight | Qt::AlignVCenter, QString::number(top * part / 2));
        p.drawText(QRect(plot.right() + 4, row.top(), rightAxis - 4, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("%1%").arg(50 * part));
    }

    const qsizetype n = m_days.size();
    const double slot = double(plot.width()) / double(n);
    const auto centre = [&](qsizetype i) { return plot.left() + slot * (double(i) + 0.5); };
    const auto rateOf = [](const LearningRecord::DayLine &day) {
        return Score::rate(qint32(qMin<qint64>(day.right, INT32_MAX)), day.answers);
    };

    // Bars, with the day under every fifth one counted back from the last.
    for (qsizetype i = 0; i < n; ++i) {
        const LearningRecord::DayLine &day = m_days.at(i);
        if (day.answers > 0) {
            const double h = double(plot.height()) * double(day.answers) / double(top);
            p.fillRect(QRectF(centre(i) - slot * 0.3, plot.bottom() - h, slot * 0.6, h), kBarColour);
        }
        if ((n - 1 - i) % 5 == 0) {
            p.setPen(QColor(120, 120, 120));
            p.drawLine(QPointF(centre(i), plot.bottom()), QPointF(centre(i), plot.bottom() + 3));
            p.setPen(Qt::black);
            const QString label = day.day.toString(QStringLiteral("M/d"));
            const int w = fm.horizontalAdvance(label) + 4;
            p.drawText(QRectF(centre(i) - w / 2.0, plot.bottom() + 4, w, fm.height()), Qt::AlignCenter, label);
        }
    }

    // The rate: a line through the days with answers, broken where a day has none.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kLineColour, 2));
    const auto point = [&](qsizetype i) {
        return QPointF(centre(i), plot.bottom() - plot.height() * rateOf(m_days.at(i)) / 100.0);
    };
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (m_days.at(i).answers > 0 && m_days.at(i + 1).answers > 0)
            p.drawLine(point(i), point(i + 1));
    }
    p.setBrush(kLineColour);
    for (qsizetype i = 0; i < n; ++i) {
        if (m_days.at(i).answers > 0)
            p.drawEllipse(point(i), 2.5, 2.5);
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    // The legend above the plot, at its right.
    p.setPen(Qt::black);
    const QString bars = QStringLiteral("答题数（左）");
    const QString line = QStringLiteral("正确率（右）");
    const int box = fm.height() - 4;
    int x = plot.right() - fm.horizontalAdvance(line) - box - 18 - fm.horizontalAdvance(bars) - box - 6;
    const int y = 4;
    p.fillRect(x, y + 2, box, box, kBarColour);
    x += box + 4;
    p.drawText(QRect(x, y, fm.horizontalAdvance(bars) + 2, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, bars);
    x += fm.horizontalAdvance(bars) + 14;
    p.setPen(QPen(kLineColour, 2));
    p.drawLine(x, y + fm.height() / 2, x + box, y + fm.height() / 2);
    x += box + 4;
    p.setPen(Qt::black);
    p.drawText(QRect(x, y, fm.horizontalAdvance(line) + 2, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, line);

    if (most == 0) {
        const QString none = QStringLiteral("最近%1天没有答题").arg(n);
        const QRect box = fm.boundingRect(plot, Qt::AlignCenter, none).adjusted(-6, -2, 6, 2);
        p.fillRect(box, Qt::white); // not crossed by the middle line
        p.setPen(QColor(120, 120, 120));
        p.drawText(plot, Qt::AlignCenter, none);
    }
}
