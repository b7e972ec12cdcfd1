#include "printlayout.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextLayout>

#include <algorithm>
#include <array>

namespace PrintLayout {

namespace {

const QString kTitle = QStringLiteral("英语单项选择练习");
const QString kNameLines = QStringLiteral("班级＿＿＿＿  姓名＿＿＿＿  得分＿＿＿＿");
const QString kKeyTitle = QStringLiteral("参考答案");
constexpr int kKeyEntriesPerRow = 5;

QString withoutTrailingBlanks(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1).isSpace())
        --end;
    return line.left(end);
}

} // namespace

QList<Block> parsePaper(const QString &questions)
{
    static const QRegularExpression questionStart(QStringLiteral("^\\s*(\\d+)[.．](.*)$"));
    static const QRegularExpression choiceStart(QStringLiteral("^\\s*[A-D][.．]"));
    QList<Block> blocks;
    bool inQuestion = false;
    const QStringList lines = Paper::toBoxText(questions).split(QLatin1Char('\n'));
    for (const QString &rawLine : lines) {
        // A tab has no glyph of its own on the page.
        const QString line = withoutTrailingBlanks(QString(rawLine).replace(QLatin1Char('\t'), QStringLiteral("    ")));
        if (line.trimmed().isEmpty())
            continue;
        if (const QRegularExpressionMatch m = questionStart.match(line); m.hasMatch()) {
            Block question;
            question.kind = Block::Question;
            question.number = m.captured(1);
            if (const QString first = m.captured(2).trimmed(); !first.isEmpty())
                question.stem << first;
            blocks << question;
            inQuestion = true;
        } else if (inQuestion && choiceStart.match(line).hasMatch()) {
            blocks.last().choices << line.trimmed();
        } else if (inQuestion && blocks.last().choices.isEmpty()) {
            blocks.last().stem << line.trimmed();
        } else {
            inQuestion = false;
            Block paragraph;
            paragraph.stem << line;
            blocks << paragraph;
        }
    }
    return blocks;
}

QList<KeyPart> parseAnswers(const QString &answers)
{
    static const QRegularExpression entry(QStringLiteral("(\\d+)[.．]\\s*([^;；\\s]*)\\s*[;；]"));
    QList<KeyPart> parts;
    const auto addText = [&parts](const QString &text) {
        const QString kept = text.trimmed();
        if (!kept.isEmpty())
            parts << KeyPart{{}, kept};
    };
    qsizetype pos = 0;
    for (auto it = entry.globalMatch(answers); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        addText(answers.mid(pos, m.capturedStart() - pos));
        if (parts.isEmpty() || !parts.last().text.isEmpty())
            parts << KeyPart{};
        parts.last().entries << KeyEntry{m.captured(1), m.captured(2)};
        pos = m.capturedEnd();
    }
    addText(answers.mid(pos));
    return parts;
}

int choiceColumns(const QList<qreal> &choiceWidths, qreal lineWidth, qreal gap)
{
    const qreal widest = choiceWidths.isEmpty() ? 0 : *std::max_element(choiceWidths.begin(), choiceWidths.end());
    for (const int columns : {4, 2}) {
        if (widest + gap <= lineWidth / columns)
            return columns;
    }
    return 1;
}

QFont paperFont(qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Serif CJK"),
                      QStringLiteral("Source Han Serif SC"), QStringLiteral("SimSun")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    // Without shaping every glyph is the one the font's character map names.
    // Shaped text of this face takes the digits from alternate glyphs, which
    // the PDF's text map does not cover: a text extractor would lose every
    // number of the paper.
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

void setUpPage(QPagedPaintDevice &device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 20, 20, 20),
                                     QPageLayout::Millimeter));
}

// ---- The layout --------------------------------------------------------------

namespace {

enum Role { TitleRole, NameLinesRole, BodyRole, FooterRole, KeyTitleRole, RoleCount };

struct Run
{
    qreal x;
    QString text;
};

// One printed line: one font, its runs placed across the width.
struct Line
{
    Role role = BodyRole;
    qreal height = 0;
    qreal ascent = 0;
    QList<Run> runs;
};

// Lines that stay on one page together (unless they are more than a page).
struct Unit
{
    QList<Line> lines;
    qreal spaceBefore = 0;
    bool startsPage = false;
    qsizetype question = -1; // index into the question placements

    qreal height() const
    {
        qreal h = 0;
        for (const Line &line : lines)
            h += line.height;
        return h;
    }
};

struct PlacedLine
{
    qsizetype unit;
    qsizetype line;
    qreal y;
};

} // namespace

struct PaperLayout::Data
{
    QPaintDevice *device = nullptr;
    qreal width = 0;
    qreal body = 0;
    qreal footerBaseline = 0;
    qreal millimetre = 0;
    qreal gap = 0;
    std::array<QFont, RoleCount> fonts;
    QList<Unit> units;
    QList<QList<PlacedLine>> pages;
    QList<QuestionPlacement> questions;
    int keyPage = -1;

    QFontMetricsF metrics(Role role) const { return QFontMetricsF(fonts[role], device); }
    Line line(Role role, QList<Run> runs = {}) const;
    Line centred(Role role, const QString &text) const;
    Line spacer(qreal height) const;
    QStringList wrapped(const QString &text, Role role, qreal width) const;

    void addHeader();
    void addQuestion(const Block &block, qreal numberWidth);
    void addParagraph(const QString &text);
    void addKey(const QString &answers);
    void paginate();
};

Line PaperLayout::Data::line(Role role, QList<Run> runs) const
{
    const QFontMetricsF m = metrics(role);
    Line l;
    l.role = role;
    l.height = m.lineSpacing();
    l.ascent = m.ascent();
    l.runs = std::move(runs);
    return l;
}

Line PaperLayout::Data::centred(Role role, const QString &text) const
{
    return line(role, {Run{(width - metrics(role).horizontalAdvance(text)) / 2, text}});
}

Line PaperLayout::Data::spacer(qreal height) const
{
    Line l;
    l.height = height;
    return l;
}

QStringList PaperLayout::Data::wrapped(const QString &text, Role role, qreal lineWidth) const
{
    if (metrics(role).horizontalAdvance(text) <= lineWidth)
        return {text};
    QTextLayout layout(text, fonts[role], device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList pieces;
    layout.beginLayout();
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
        l.setLineWidth(lineWidth);
        pieces << withoutTrailingBlanks(text.mid(l.textStart(), l.textLength()));
    }
    layout.endLayout();
    return pieces;
}

void PaperLayout::Data::addHeader()
{
    Unit header;
    header.lines << centred(TitleRole, kTitle) << spacer(2 * millimetre) << centred(NameLinesRole, kNameLines)
                 << spacer(4 * millimetre);
    units << header;
}

void PaperLayout::Data::addQuestion(const Block &block, qreal numberWidth)
{
    const QFontMetricsF m = metrics(BodyRole);
    const qreal textWidth = width - numberWidth;
    Unit unit;
    unit.spaceBefore = gap;
    unit.question = questions.size();

    QList<Run> numberRun{Run{0, block.number + QLatin1Char('.')}};
    for (const QString &stemLine : block.stem) {
        for (const QString &piece : wrapped(stemLine, BodyRole, textWidth)) {
            QList<Run> runs = numberRun;
            runs << Run{numberWidth, piece};
            unit.lines << line(BodyRole, runs);
            numberRun.clear();
        }
    }
    if (!numberRun.isEmpty()) // a question without a stem still shows its number
        unit.lines << line(BodyRole, numberRun);

    QList<qreal> choiceWidths;
    for (const QString &choice : block.choices)
        choiceWidths << m.horizontalAdvance(choice);
    const qreal em = m.horizontalAdvance(QChar(0x4E2D));
    const int columns = choiceColumns(choiceWidths, textWidth, em);
    if (columns == 1) {
        for (const QString &choice : block.choices) {
            const QStringList pieces = wrapped(choice, BodyRole, textWidth - em);
            for (qsizetype i = 0; i < pieces.size(); ++i)
                unit.lines << line(BodyRole, {Run{numberWidth + (i == 0 ? 0 : em), pieces.at(i)}});
        }
    } else {
        const qreal columnWidth = textWidth / columns;
        for (qsizetype first = 0; first < block.choices.size(); first += columns) {
            QList<Run> runs;
            for (qsizetype c = 0; c < columns && first + c < block.choices.size(); ++c)
                runs << Run{numberWidth + c * columnWidth, block.choices.at(first + c)};
            unit.lines << line(BodyRole, runs);
        }
    }
    units << unit;
    QuestionPlacement placement;
    placement.number = block.number;
    placement.choiceColumns = block.choices.isEmpty() ? 0 : columns;
    questions << placement;
}

void PaperLayout::Data::addParagraph(const QString &text)
{
    Unit unit;
    unit.spaceBefore = gap;
    for (const QString &piece : wrapped(text, BodyRole, width))
        unit.lines << line(BodyRole, {Run{0, piece}});
    units << unit;
}

void PaperLayout::Data::addKey(const QString &answers)
{
    Unit heading;
    heading.startsPage = true;
    heading.lines << centred(KeyTitleRole, kKeyTitle) << spacer(4 * millimetre);
    units << heading;
    const qsizetype headingUnit = units.size() - 1;

    const qreal columnWidth = width / kKeyEntriesPerRow;
    for (const KeyPart &part : parseAnswers(answers)) {
        for (const QString &text : part.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            addParagraph(withoutTrailingBlanks(text));
        for (qsizetype first = 0; first < part.entries.size(); first += kKeyEntriesPerRow) {
            QList<Run> runs;
            for (qsizetype c = 0; c < kKeyEntriesPerRow && first + c < part.entries.size(); ++c) {
                const KeyEntry &e = part.entries.at(first + c);
                runs << Run{c * columnWidth, e.number + QStringLiteral(". ") + e.answer};
            }
            Unit row;
            row.spaceBefore = gap;
            row.lines << line(BodyRole, runs);
            units << row;
        }
    }
    // The heading keeps its first row (or line) with it.
    if (units.size() > headingUnit + 1) {
        Unit &first = units[headingUnit + 1];
        first.lines = units.at(headingUnit).lines + first.lines;
        first.startsPage = true;
        first.spaceBefore = 0;
        units.removeAt(headingUnit);
    }
}

void PaperLayout::Data::paginate()
{
    pages = {{}};
    qreal y = 0;
    const auto newPage = [&] {
        pages << QList<PlacedLine>{};
        y = 0;
    };
    for (qsizetype u = 0; u < units.size(); ++u) {
        const Unit &unit = units.at(u);
        if (unit.startsPage && !pages.last().isEmpty())
            newPage();
        if (unit.startsPage && unit.question < 0 && keyPage < 0)
            keyPage = int(pages.size() - 1);
        qreal space = y > 0 ? unit.spaceBefore : 0;
        // A unit that does not fit goes to the next page whole; only one
        // taller than a whole page is broken between its lines.
        if (y > 0 && y + space + unit.height() > body && unit.height() <= body) {
            newPage();
            space = 0;
        }
        const int firstPage = int(pages.size() - 1);
        const qreal top = y + space;
        for (qsizetype l = 0; l < unit.lines.size(); ++l) {
            const qreal h = unit.lines.at(l).height;
            if (y > 0 && y + space + h > body) {
                newPage();
                space = 0;
            }
            pages.last() << PlacedLine{u, l, y + space};
            y += space + h;
            space = 0;
        }
        if (unit.question >= 0) {
            QuestionPlacement &placed = questions[unit.question];
            placed.firstPage = firstPage;
            placed.lastPage = int(pages.size() - 1);
            placed.top = top;
            placed.bottom = y;
        }
    }
}

PaperLayout::PaperLayout(const PaperBuffers &paper, QPaintDevice *device) : d(new Data)
{
    d->device = device;
    d->width = device->width();
    d->millimetre = device->logicalDpiY() / 25.4;
    d->fonts = {paperFont(18, true), paperFont(12), paperFont(10.5), paperFont(9), paperFont(16, true)};
    const QFontMetricsF body = d->metrics(BodyRole);
    d->gap = 0.4 * body.lineSpacing();
    const QFontMetricsF footer = d->metrics(FooterRole);
    d->footerBaseline = device->height() - footer.descent();
    d->body = device->height() - footer.lineSpacing() - 4 * d->millimetre;

    const QList<Block> blocks = parsePaper(paper.questions);
    qreal numberWidth = 0;
    for (const Block &block : blocks) {
        if (block.kind == Block::Question)
            numberWidth = std::max(numberWidth, body.horizontalAdvance(block.number + QLatin1Char('.')));
    }
    numberWidth += body.horizontalAdvance(QChar(0x4E2D)) / 2;

    d->addHeader();
    for (const Block &block : blocks) {
        if (block.kind == Block::Question)
            d->addQuestion(block, numberWidth);
        else
            d->addParagraph(block.stem.value(0));
    }
    d->addKey(paper.answers);
    d->paginate();
}

PaperLayout::~PaperLayout()
{
    delete d;
}

int PaperLayout::pageCount() const
{
    return int(d->pages.size());
}

QList<QuestionPlacement> PaperLayout::questionPlacements() const
{
    return d->questions;
}

int PaperLayout::keyFirstPage() const
{
    return d->keyPage;
}

qreal PaperLayout::bodyHeight() const
{
    return d->body;
}

qreal PaperLayout::questionGap() const
{
    return d->gap;
}

void PaperLayout::paintPage(QPainter &painter, int page) const
{
    painter.setPen(Qt::black);
    int role = -1;
    for (const PlacedLine &placed : d->pages.at(page)) {
        const Line &line = d->units.at(placed.unit).lines.at(placed.line);
        if (line.runs.isEmpty())
            continue;
        if (role != line.role) {
            role = line.role;
            painter.setFont(d->fonts[line.role]);
        }
        for (const Run &run : line.runs)
            painter.drawText(QPointF(run.x, placed.y + line.ascent), run.text);
    }
    const QString footer = QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(pageCount());
    painter.setFont(d->fonts[FooterRole]);
    painter.drawText(QPointF((d->width - d->metrics(FooterRole).horizontalAdvance(footer)) / 2, d->footerBaseline),
                     footer);
}

bool PaperLayout::print(QPagedPaintDevice *device) const
{
    QPainter painter;
    if (!painter.begin(device))
        return false;
    for (int page = 0; page < pageCount(); ++page) {
        if (page > 0 && !device->newPage())
            return false;
        paintPage(painter, page);
    }
    return painter.end();
}

// ---- The PDF's text map ------------------------------------------------------

namespace {

// For each radical (U+2E80 to U+2FDF) that the paper's face draws with the
// glyph of a unified ideograph, that ideograph: ⼀ U+2F00 and 一 U+4E00, ⻚
// U+2EDA and 页 U+9875, and so on.
const QHash<char16_t, char16_t> &radicalIdeographs()
{
    static const QHash<char16_t, char16_t> table = [] {
        QHash<char16_t, char16_t> ideographFor;
        const QRawFont face = QRawFont::fromFont(paperFont(10.5));
        if (!face.isValid())
            return ideographFor;
        const auto glyphsOf = [&face](char16_t first, char16_t last) {
            QString text;
            for (char32_t c = first; c <= last; ++c)
                text += QChar(char16_t(c));
            return face.glyphIndexesForString(text);
        };
        constexpr char16_t kIdeographs = 0x4E00, kRadicals = 0x2E80;
        const QList<quint32> ideographGlyphs = glyphsOf(kIdeographs, 0x9FFF);
        QHash<quint32, char16_t> ideographOfGlyph;
        for (qsizetype i = 0; i < ideographGlyphs.size(); ++i) {
            if (ideographGlyphs.at(i) != 0 && !ideographOfGlyph.contains(ideographGlyphs.at(i)))
                ideographOfGlyph.insert(ideographGlyphs.at(i), char16_t(kIdeographs + i));
        }
        const QList<quint32> radicalGlyphs = glyphsOf(kRadicals, 0x2FDF);
        for (qsizetype i = 0; i < radicalGlyphs.size(); ++i) {
            if (const auto it = ideographOfGlyph.constFind(radicalGlyphs.at(i)); it != ideographOfGlyph.cend())
                ideographFor.insert(char16_t(kRadicals + i), *it);
        }
        return ideographFor;
    }();
    return table;
}

// One line of a text map, between from and to: "<g> <g> <u>" maps one glyph,
// "<g1> <g2> [<u1> <u2> ...]" several; a radical in place of u becomes its
// ideograph, written over it with as many bytes.
void rewriteMapLine(QByteArray &pdf, qsizetype from, qsizetype to)
{
    QList<qsizetype> codes; // where each "<XXXX>" of the line starts
    for (qsizetype i = from; i + 5 < to; ++i) {
        if (pdf.at(i) == '<' && pdf.at(i + 5) == '>')
            codes << i;
    }
    const qsizetype bracket = pdf.indexOf('[', from);
    const bool listed = bracket >= 0 && bracket < to;
    for (qsizetype k = 0; k < codes.size(); ++k) {
        const bool single = !listed && codes.size() == 3 && k == 2
                            && pdf.mid(codes.at(0), 6) == pdf.mid(codes.at(1), 6);
        if (!(listed && codes.at(k) > bracket) && !single)
            continue;
        bool ok = false;
        const ushort code = pdf.mid(codes.at(k) + 1, 4).toUShort(&ok, 16);
        const char16_t ideograph = ok ? radicalIdeographs().value(code) : 0;
        if (ideograph != 0)
            pdf.replace(codes.at(k) + 1, 4, QByteArray::number(ideograph, 16).toUpper().rightJustified(4, '0'));
    }
}

// The PDF writer names each glyph in the text map by the lowest character
// the face draws with it. This face draws the radicals with the glyphs of
// ordinary characters (一, 小, 页 ...), so an extractor would read a radical
// wherever the paper has one of them. The map is text in the file; each
// entry is rewritten in place and keeps its length, so nothing else moves.
QByteArray withIdeographsForRadicals(QByteArray pdf)
{
    for (qsizetype at = pdf.indexOf("begincmap"); at >= 0; at = pdf.indexOf("begincmap", at)) {
        const qsizetype end = pdf.indexOf("endcmap", at);
        if (end < 0)
            break;
        for (qsizetype line = at; line < end;) {
            qsizetype lineEnd = pdf.indexOf('\n', line);
            if (lineEnd < 0 || lineEnd > end)
                lineEnd = end;
            rewriteMapLine(pdf, line, lineEnd);
            line = lineEnd + 1;
        }
        at = end;
    }
    return pdf;
}

} // namespace

int print(const PaperBuffers &paper, QPagedPaintDevice *device)
{
    const PaperLayout layout(paper, device);
    return layout.print(device) ? layout.pageCount() : 0;
}

QByteArray renderPdf(const PaperBuffers &paper, int *pageCount)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&buffer);
        setUpPage(writer);
        writer.setTitle(kTitle);
        writer.setCreator(QStringLiteral("Quorvane"));
        pages = print(paper, &writer);
    }
    if (pageCount)
        *pageCount = pages;
    return pages > 0 ? withIdeographsForRadicals(buffer.data()) : QByteArray();
}

} // namespace PrintLayout
