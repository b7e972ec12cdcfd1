#pragma once

#include "learningrecord.h"

#include <QWidget>

// The last days of the record, drawn by hand: the answers of each day as a
// bar (left scale) and its rate of right answers as a line (right scale,
// 0–100%). A day without answers has no bar and breaks the line.
class DailyChart : public QWidget
{
    Q_OBJECT
public:
    explicit DailyChart(QWidget *parent = nullptr);

    void setDays(const QList<LearningRecord::DayLine> &days);

    // The top of the answers' scale: 2, 4, 6, 8, 10, 20, 40 … at least max.
    static qint64 scaleTop(qint64 max);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<LearningRecord::DayLine> m_days;
};
