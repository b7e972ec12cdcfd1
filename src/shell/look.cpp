#include "look.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace Look {

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

QFont withFamily(const QString &family, double pointSize)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSizeF(pointSize);
    return font;
}

QFont songti(double pointSize)
{
    return withFamily(QStringLiteral("宋体"), pointSize);
}

QColor scrollBarColour()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void nameForScreenReaders(QWidget *widget, const QString &name)
{
    widget->setAccessibleName(name);
}

} // namespace Look
