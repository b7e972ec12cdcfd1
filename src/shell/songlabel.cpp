#include "songlabel.h"

#include <QFontInfo>
#include <QPainter>
#include <QTextLayout>

namespace {
// Song's baseline lies this far below the top of its character square.
constexpr qreal kSongAscent = 0.86;
// Where a box has room to spare, lines are at most this far apart (in characters).
constexpr qreal kMostPitch = 1.25;
} // namespace

SongLabel::SongLabel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

SongLabel::SongLabel(const QString &name, const QString &text, QWidget *parent)
    : SongLabel(parent)
{
    setObjectName(name);
    setText(text);
}

void SongLabel::layOut(QTextLayout &layout) const
{
    const qreal em = QFontInfo(font()).pixelSize();
    // Blanks drawn as en spaces (half a character); text() keeps its blanks.
    QString shown = text();
    shown.replace(QLatin1Char(' '), QChar(0x2002));
    layout.setText(shown);
    layout.setFont(font());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);

    const QRect area = contentsRect();
    QList<QTextLine> lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        lines << line;
    }
    // Lines a character apart, spread a little where the box has room.
    const qreal pitch = lines.isEmpty() ? em : qBound(em, area.height() / qreal(lines.size()), kMostPitch * em);
    for (qsizetype row = 0; row < lines.size(); ++row) {
        const qreal baseline = row * pitch + (pitch - em) / 2 + kSongAscent * em;
        lines[row].setPosition(QPointF(0, baseline - lines[row].ascent()));
    }
    layout.endLayout();
}

QStringList SongLabel::lineTexts() const
{
    QTextLayout layout;
    layOut(layout);
    QStringList texts;
    for (int i = 0; i < layout.lineCount(); ++i)
        texts << text().mid(layout.lineAt(i).textStart(), layout.lineAt(i).textLength());
    return texts;
}

void SongLabel::paintEvent(QPaintEvent *)
{
    QTextLayout layout(QString(), font(), this);
    layOut(layout);
    QPainter painter(this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    layout.draw(&painter, contentsRect().topLeft());
}
