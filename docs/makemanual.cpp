// Turns the user manual's Markdown source into VNUM.pdf with Qt's own PDF
// output, so that the build needs nothing beyond Qt. A picture written as
// ![caption](shot:NAME) is the window picture NAME.png from the pictures folder.
//   makemanual <manual.md> <VNUM.pdf> [<pictures folder>]

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <QTextTableFormat>

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
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

// Puts each window picture into the document at the size the window has on a
// screen of 96 dots per inch, made smaller where it is wider than the page.
// Returns the name of a picture that is missing, or an empty text.
QString placePictures(QTextDocument &document, const QString &folder)
{
    const QString scheme = QStringLiteral("shot:");
    // The document is laid out for printing at 96 units to the inch.
    const qreal pageWidth = manualPageLayout().paintRect(QPageLayout::Inch).width() * 96 - 8;
    struct Placed
    {
        int position, length;
        QTextImageFormat format;
    };
    std::vector<Placed> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (format.isValid() && format.name().startsWith(scheme))
                pictures.push_back({fragment.position(), fragment.length(), format});
        }
    }
    for (Placed &placed : pictures) {
        const QString name = placed.format.name().mid(scheme.size());
        const QImage picture(QDir(folder).filePath(name + QLatin1String(".png")));
        if (picture.isNull())
            return name;
        const qreal dotsPerInch = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() * 0.0254 : 96;
        qreal width = picture.width() * 96 / dotsPerInch;
        qreal height = picture.height() * 96 / dotsPerInch;
        if (width > pageWidth) {
            height *= pageWidth / width;
            width = pageWidth;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(placed.format.name()), picture);
        placed.format.setWidth(width);
        placed.format.setHeight(height);
        QTextCursor cursor(&document);
        cursor.setPosition(placed.position);
        cursor.setPosition(placed.position + placed.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(placed.format);
    }
    return QString();
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
    {
        QPdfWriter writer(&output);
        writer.setTitle(QStringLiteral("Vorlener Call Log - User Manual"));
        writer.setCreator(QStringLiteral("makemanual"));
        writer.setPageLayout(manualPageLayout());
        document.print(&writer);
    }
    if (!output.commit()) {
        std::fprintf(stderr, "makemanual: %s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
