#include "reportpages.h"

#include "reportcolumns.h"
#include "reportlines.h"

#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <functional>
#include <memory>

namespace ReportPages {

namespace {

using ReportText::LineKind;

// Hands every line with its kind to `visit`; the lines are read a block at a time.
void forEachLine(const ReportLines &lines, const std::function<void(QStringView, LineKind)> &visit)
{
    LineKind kind = LineKind::Plain;
    lines.read(0, lines.count(), [&](qsizetype, QStringView line) {
        kind = ReportText::lineKind(line, kind);
        visit(line, kind);
    });
}

qreal pageWidth(const QPrinter &printer)
{
    return printer.pageRect(QPrinter::DevicePixel).width();
}

class PagePainter
{
public:
    PagePainter(QPrinter &printer, const QFont &font, const ReportColumns &columns, const Look &look)
        : m_printer(printer)
        , m_font(font)
        , m_columns(columns)
        , m_look(look)
        , m_lineHeight(QFontMetricsF(font, &printer).height())
        , m_blank(QFontMetricsF(font, &printer).horizontalAdvance(QLatin1Char(' ')))
    {
    }

    bool begin()
    {
        if (!m_painter.begin(&m_printer))
            return false;
        const QRectF page = m_printer.pageRect(QPrinter::DevicePixel);
        m_width = page.width();
        m_pageHeight = page.height();
        // The last line of a page holds its number.
        m_height = m_pageHeight - 2 * m_lineHeight;
        return true;
    }

    void paint(QStringView line, LineKind kind)
    {
        if (m_look.columns && (kind == LineKind::Heading || kind == LineKind::Record))
            paintRow(ReportText::columnFields(line, kind));
        else
            paintFlow(line, m_look.columns ? m_columns.indent(kind) : 0, kind);
    }

    bool end()
    {
        paintPageNumber();
        return m_painter.end();
    }

private:
    // Starts a new page where `height` does not fit on this one.
    void makeRoom(qreal height)
    {
        if (m_y == 0 || m_y + height <= m_height)
            return;
        paintPageNumber();
        m_printer.newPage();
        ++m_page;
        m_y = 0;
    }

    void paintPageNumber()
    {
        m_painter.setFont(m_font);
        m_painter.drawText(QRectF(0, m_pageHeight - m_lineHeight, m_width, m_lineHeight), Qt::AlignRight,
                           QString::number(m_page));
    }

    // Each field in its column, going on in its column where it is wider.
    void paintRow(const ReportText::ColumnFields &fields)
    {
        std::vector<std::unique_ptr<QTextLayout>> cells;
        qreal height = m_lineHeight;
        for (int column = 0; column < fields.count; ++column) {
            const qreal left = m_columns.start(column);
            // A field may reach into the blanks before the next column.
            const qreal width =
                column + 1 < ReportColumns::Count ? m_columns.start(column + 1) - left - m_blank : m_width - left;
            auto cell = std::make_unique<QTextLayout>(fields.fields[column].toString(), m_font, &m_printer);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            cell->setTextOption(option);
            cell->beginLayout();
            qreal y = 0;
            for (QTextLine line = cell->createLine(); line.isValid(); line = cell->createLine()) {
                line.setLineWidth(std::max(width, m_blank));
                line.setPosition(QPointF(0, y));
                y += m_lineHeight;
            }
            cell->endLayout();
            height = std::max(height, y);
            cells.push_back(std::move(cell));
        }
        makeRoom(height);
        for (size_t k = 0; k < cells.size(); ++k)
            cells[k]->draw(&m_painter, QPointF(m_columns.start(int(k)), m_y));
        m_y += height;
    }

    // A line across the page; where it is wider, the rest goes on under the
    // field it breaks in (where the last tab before the break put its text).
    void paintFlow(QStringView text, qreal indent, LineKind kind)
    {
        qsizetype done = 0;
        qreal x = indent;
        do {
            const QString rest = text.mid(done).toString();
            QTextLayout layout(rest, m_font, &m_printer);
            QTextOption option = m_look.columns ? m_columns.option(rest, kind, x)
                                                : m_columns.option(x, m_look.tabStopDistance * printerPixels());
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            line.setLineWidth(std::max(m_width - x, m_blank));
            layout.endLayout();
            const qsizetype length = std::max(line.textLength(), 1);
            qreal next = x;
            for (qsizetype i = 0; i < length && i < rest.size(); ++i) {
                if (rest.at(i) == QLatin1Char('\t'))
                    next = x + line.cursorToX(int(i + 1));
            }
            makeRoom(m_lineHeight);
            layout.draw(&m_painter, QPointF(x, m_y));
            m_y += m_lineHeight;
            done += length;
            // Too far to the right, the rest goes back to where the line started.
            x = next < m_width * 0.6 ? next : indent;
        } while (done < text.size());
    }

    // The printer's pixels for a viewer pixel.
    qreal printerPixels() const { return m_printer.logicalDpiX() / m_look.viewerDpi; }

    QPrinter &m_printer;
    QPainter m_painter;
    QFont m_font;
    const ReportColumns &m_columns;
    const Look &m_look;
    qreal m_lineHeight;
    qreal m_blank;
    qreal m_width = 0;
    qreal m_height = 0;
    qreal m_pageHeight = 0;
    qreal m_y = 0;
    int m_page = 1;
};

} // namespace

bool print(const ReportLines &lines, const Look &look, QPrinter &printer)
{
    // Sized in points, the print has the size the viewer shows.
    QFont font = look.font;
    if (font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / look.viewerDpi);
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    ReportColumns columns(font, &printer);
    if (look.columns) {
        forEachLine(lines, [&](QStringView line, LineKind kind) { columns.measure(line, kind); });
        printer.setPageOrientation(QPageLayout::Portrait);
        if (columns.columnsWidth() > pageWidth(printer))
            printer.setPageOrientation(QPageLayout::Landscape);
        columns.fitWithin(pageWidth(printer));
    }
    PagePainter pages(printer, font, columns, look);
    if (!pages.begin())
        return false;
    forEachLine(lines, [&](QStringView line, LineKind kind) { pages.paint(line, kind); });
    return pages.end();
}

} // namespace ReportPages
