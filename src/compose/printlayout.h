#pragma once

#include "paper.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class QPaintDevice;
class QPagedPaintDevice;
class QPainter;

// A composed paper laid out as a printed exam paper: a title with the lines
// for class, name and score, the numbered questions with their choices, a
// page footer, and the answer key on pages of its own. One layout serves the
// print preview (a QPrinter) and the PDF export (a QPdfWriter).
namespace PrintLayout {

// One piece of the paper text: a numbered question with its choices, or a
// line that follows no pattern, printed as it stands.
struct Block
{
    enum Kind { Question, Paragraph };
    Kind kind = Paragraph;
    QString number;      // "12" for a question
    QStringList stem;    // the question's lines before its choices; a paragraph's one line
    QStringList choices; // "A. ..." lines, in order
};

// The paper box's text as blocks. A line that begins with a number and a
// full stop starts a question; the lines that follow and begin with "A." to
// "D." are its choices. Other lines before the first choice continue the
// question; any other line is a paragraph. Blank lines are left out.
QList<Block> parsePaper(const QString &questions);

// The answer box's text: runs of "N.X;" entries, and the text between them
// that follows no pattern, in the order they come.
struct KeyEntry
{
    QString number;
    QString answer;
};
struct KeyPart
{
    QList<KeyEntry> entries; // a run of entries, or else
    QString text;            // text as it stands
};
QList<KeyPart> parseAnswers(const QString &answers);

// How many choices stand on one line: 4 when each fits a quarter of the
// line width, else 2 when each fits half, else 1. A choice fits a column
// when its width and the gap after it do.
int choiceColumns(const QList<qreal> &choiceWidths, qreal lineWidth, qreal gap);

// The face of the paper: a serif face with Latin and Chinese glyphs.
QFont paperFont(qreal pointSize, bool bold = false);

// A4 portrait with margins of 20 mm.
void setUpPage(QPagedPaintDevice &device);

// Where a question landed (pages count from 0; top and bottom in device
// units from the top of the page's text area).
struct QuestionPlacement
{
    QString number;
    int firstPage = 0;
    int lastPage = 0;
    qreal top = 0;
    qreal bottom = 0;
    int choiceColumns = 0;
};

class PaperLayout
{
public:
    // Lays the paper out on the pages of device as the device is set up now:
    // its paint area (the page within its margins) and its resolution.
    PaperLayout(const PaperBuffers &paper, QPaintDevice *device);
    ~PaperLayout();
    PaperLayout(const PaperLayout &) = delete;
    PaperLayout &operator=(const PaperLayout &) = delete;

    int pageCount() const;
    QList<QuestionPlacement> questionPlacements() const;
    int keyFirstPage() const;
    // The height on a page that the text may take, above the footer.
    qreal bodyHeight() const;
    // The space between two questions.
    qreal questionGap() const;

    void paintPage(QPainter &painter, int page) const;
    // Every page onto device (the one laid out for), a new page between them.
    bool print(QPagedPaintDevice *device) const;

private:
    struct Data;
    Data *d;
};

// Lays the paper out on device and prints it there; the number of pages.
int print(const PaperBuffers &paper, QPagedPaintDevice *device);

// The paper as the bytes of a PDF file (A4, the fonts embedded, the text as
// text); *pageCount gets the number of pages. Empty when it cannot be made.
QByteArray renderPdf(const PaperBuffers &paper, int *pageCount = nullptr);

} // namespace PrintLayout
