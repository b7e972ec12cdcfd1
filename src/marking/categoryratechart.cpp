#include "categoryratechart.h"

#include "score.h"

#include <QPainter>

CategoryRateChart::CategoryRateChart(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CategoryRateChart::setCategories(const QList<LearningRecord::CategoryLine> &categories)
{
    m_categories = categories;
    update();
}

QString CategoryRateChart::shownName(const QString &category)
{
    return category.isEmpty() ? QStringLiteral("（无类别）") : category;
}

QColor CategoryRateChart::rateColour(int rate)
{
    if (rate < 60)
        return QColor(204, 64, 56);
    if (rate < 80)
        return QColor(230, 150, 30);
    return QColor(56, 150, 80);
}

void CategoryRateChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const QFontMetrics fm = p.fontMetrics(); // the device's, which a grab may change
    if (m_categories.isEmpty()) {
        p.setPen(QColor(120, 120, 120));
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("还没有答题记录"));
        return;
    }
    const int margin = 6;
    const int lineHeight = fm.height() + 4;
    const int room = (height() - 2 * margin) / lineHeight;
    const qsizetype total = m_categories.size();
    // The last line tells of the rest when not all fit.
    const qsizetype shown = total <= room ? total : qMax(0, room - 1);

    int labelWidth = 0;
    for (qsizetype i = 0; i < shown; ++i)
        labelWidth = qMax(labelWidth, fm.horizontalAdvance(shownName(m_categories.at(i).category)));
    // A few pixels to spare: eliding measures in fractions of a pixel.
    labelWidth = qMin(labelWidth + 4, width() * 2 / 5);
    const int rateWidth = fm.horizontalAdvance(QStringLiteral(" 100%")) + 4;
    const int barLeft = margin + labelWidth + margin;
    const int barRoom = qMax(1, width() - barLeft - rateWidth - margin);

    // The scale: faint lines at 0, 50 and 100 per cent.
    p.setPen(QPen(QColor(225, 225, 225), 1, Qt::DashLine));
    for (int at : {0, 50, 100}) {
        const int x = barLeft + barRoom * at / 100;
        p.drawLine(x, margin, x, margin + int(shown) * lineHeight);
    }
    p.setRenderHint(QPainter::Antialiasing);
    for (qsizetype i = 0; i < shown; ++i) {
        const LearningRecord::CategoryLine &line = m_categories.at(i);
        const int rate = Score::rate(qint32(qMin<qint64>(line.right, INT32_MAX)), line.answers);
        const int top = margin + int(i) * lineHeight;
        p.setPen(Qt::black);
        p.drawText(QRect(margin, top, labelWidth, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                   fm.elidedText(shownName(line.category), Qt::ElideRight, labelWidth));
        const QRectF bar(barLeft, top + 3, qMax(1.0, barRoom * rate / 100.0), lineHeight - 6);
        p.fillRect(bar, rateColour(rate));
        p.drawText(QRect(int(bar.right()) + 2, top, rateWidth, lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   Score::rateText(qint16(rate)));
    }
    if (shown < total) {
        p.setPen(QColor(110, 110, 110));
        p.drawText(QRect(margin, margin + int(shown) * lineHeight, width() - 2 * margin, lineHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("……另有%1类，见左表").arg(total - shown));
    }
}
