#pragma once

#include <QLabel>
#include <QStringList>

class QTextLayout;

// A label for the guide and about texts. They were written for the classic
// Song face, whose characters fill their square and whose blank is half a
// character wide: runs of blanks inside them push the rest of a sentence to
// the next line, and the boxes hold exactly their lines. The CJK faces found
// instead are taller and have narrower blanks, which clips the last line and
// moves the breaks, so this label lays its text out with Song's measures:
// one character's height from line to line and half a character per blank.
// The text itself is untouched.
class SongLabel : public QLabel
{
    Q_OBJECT
public:
    explicit SongLabel(QWidget *parent = nullptr);
    SongLabel(const QString &name, const QString &text, QWidget *parent);

    // The text as it is broken into lines at the label's width.
    QStringList lineTexts() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void layOut(QTextLayout &layout) const;
};
