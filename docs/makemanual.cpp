// Turns the user manual's Markdown source into VNUM.pdf with Qt's own PDF
// output, so that the build needs nothing beyond Qt. A picture written as
// ![caption](shot:NAME) is the window picture NAME.png from the pictures folder.
//   makemanual <manual.md> <VNUM.pdf> [<pictures folder>]

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QTextTableFormat>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Markdown tables come without rules; a thin grid makes the long tables readable on paper.
void frameTables(QTextDocument &document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextTable *table = cursor.currentTable();
        if (!table)
            continue;
        QTextTableFormat format = table->format();
        if (format.border() == 1 && format.cellPadding() == 3)
            continue;
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderCollapse(true);
        format.setCellPadding(3);
        format.setCellSpacing(0);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        table->setFormat(format);
    }
}

QPageLayout manualPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

// The room a picture has across the page: the text's width less the
// indentation of the paragraph (or list item) that holds it.
qreal roomAcross(const QTextDocument &document, const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    qreal room = document.pageSize().width() - 2 * document.documentMargin() - format.leftMargin()
        - format.rightMargin() - std::max<qreal>(0, format.textIndent()) - format.indent() * document.indentWidth();
    if (const QTextList *list = block.textList())
        room -= list->format().indent() * document.indentWidth();
    return room;
}

// Puts each window picture into the document at the size the window has on a
// screen of 96 dots per inch, made smaller where it is wider than the text or
// taller than a page; the picture keeps all its pixels, so that a smaller one
// stays sharp. Returns the name of a picture that is missing, or an empty text.
QString placePictures(QTextDocument &document, const QString &folder)
{
    const QString scheme = QStringLiteral("shot:");
    struct Placed
    {
        int position, length;
        QTextImageFormat format;
        QTextBlock block;
    };
    std::vector<Placed> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (format.isValid() && format.name().startsWith(scheme))
                pictures.push_back({fragment.position(), fragment.length(), format, block});
        }
    }
    for (Placed &placed : pictures) {
        const QString name = placed.format.name().mid(scheme.size());
        const QImage picture(QDir(folder).filePath(name + QLatin1String(".png")));
        if (picture.isNull())
            return name;
        const qreal dotsPerInch = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() * 0.0254 : 96;
        const QSizeF natural = QSizeF(picture.size()) * (96 / dotsPerInch);
        const QSizeF room(roomAcross(document, placed.block), document.pageSize().height() * 0.8);
        const QSizeF size = natural.width() > room.width() || natural.height() > room.height()
            ? natural.scaled(room, Qt::KeepAspectRatio)
            : natural;
        document.addResource(QTextDocument::ImageResource, QUrl(placed.format.name()), picture);
        placed.format.setWidth(size.width());
        placed.format.setHeight(size.height());
        QTextCursor cursor(&document);
        cursor.setPosition(placed.position);
        cursor.setPosition(placed.position + placed.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(placed.format);
    }
    return QString();
}

// Paints the pages, laid out at 96 units to the inch, onto the writer's
// sheets, with the page number below each page's text. The pictures go in
// without loss: a window's letters stay sharp where JPEG would blur them.
bool printPages(QTextDocument &document, QPdfWriter &writer)
{
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    painter.setRenderHint(QPainter::LosslessImageRendering);
    const QSizeF page = document.pageSize();
    const qreal scale = writer.width() / page.width();
    const QFont numberFont = document.defaultFont();
    const qreal numberHeight = QFontMetricsF(numberFont, &writer).height();
    for (int i = 0; i < document.pageCount(); ++i) {
        if (i > 0 && !writer.newPage())
            return false;
        painter.save();
        painter.scale(scale, scale);
        painter.translate(0, -i * page.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, i * page.height(), page.width(), page.height());
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        painter.setFont(numberFont);
        painter.drawText(QRectF(0, writer.height() + numberHeight, writer.width(), numberHeight), Qt::AlignRight,
                         QString::number(i + 1));
    }
    return painter.end();
}

// Ligatures would put one glyph such as "fi" into the PDF for two letters, and
// its text would then read back and search as a different word.
void keepLettersApart(QTextDocument &document)
{
    QTextCursor everything(&document);
    everything.select(QTextCursor::Document);
    QTextCharFormat format;
    format.setFontStyleStrategy(QFont::PreferNoShaping);
    everything.mergeCharFormat(format);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: makemanual <manual.md> <output.pdf> [<pictures folder>]\n");
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "makemanual: %s: %s\n", argv[1], qPrintable(source.errorString()));
        return 1;
    }
    QTextDocument document;
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(10);
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    // Laid out on pages of the sheet's text area, at 96 units to the inch.
    document.setPageSize(manualPageLayout().paintRect(QPageLayout::Inch).size() * 96);
    frameTables(document);
    keepLettersApart(document);
    const QString missing = placePictures(document, argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString());
    if (!missing.isEmpty()) {
        std::fprintf(stderr, "makemanual: no picture %s.png\n", qPrintable(missing));
        return 1;
    }

    // Written beside the target and renamed, so a failed run leaves no half manual.
    const QString target = QString::fromLocal8Bit(argv[2]);
    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "makemanual: %s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    bool printed = false;
    {
        QPdfWriter writer(&output);
        writer.setTitle(QStringLiteral("Vorlener Call Log - User Manual"));
        writer.setCreator(QStringLiteral("makemanual"));
        writer.setPageLayout(manualPageLayout());
        printed = printPages(document, writer);
    }
    if (!printed) {
        std::fprintf(stderr, "makemanual: %s: the pages could not be written\n", argv[2]);
        return 1;
    }
    if (!output.commit()) {
        std::fprintf(stderr, "makemanual: %s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
