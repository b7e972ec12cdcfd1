#pragma once

#include "learningrecord.h"

#include <QWidget>

// The rate of right answers of each category as a horizontal bar, one line
// per category in the order given (the weakest first), drawn by hand: as
// many lines as the height holds, then how many more there are.
class CategoryRateChart : public QWidget
{
    Q_OBJECT
public:
    explicit CategoryRateChart(QWidget *parent = nullptr);

    void setCategories(const QList<LearningRecord::CategoryLine> &categories);

    // A category as the record window names it ("（无类别）" for none).
    static QString shownName(const QString &category);
    // The colour of a rate: below 60 red, below 80 orange, else green.
    static QColor rateColour(int rate);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<LearningRecord::CategoryLine> m_categories;
};
