#include "look.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
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

void keepTextWhole(QLineEdit *box)
{
    const QFont designed = box->font();
    const auto fit = [box, designed] {
        // The line edit keeps two pixels free at each side of its text.
        const int room = box->contentsRect().width() - 4;
        QFont font = designed;
        const bool inPoints = font.pointSizeF() > 0;
        while (QFontMetrics(font).horizontalAdvance(box->text()) > room) {
            if (inPoints && font.pointSizeF() > 5)
                font.setPointSizeF(font.pointSizeF() - 0.5);
            else if (!inPoints && font.pixelSize() > 7)
                font.setPixelSize(font.pixelSize() - 1);
            else
                break;
        }
        box->setFont(font);
        box->setCursorPosition(0);
    };
    QObject::connect(box, &QLineEdit::textChanged, box, fit);
    fit();
}

} // namespace Look
