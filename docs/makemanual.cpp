// Turns the user manual's Markdown source into VNUM.pdf with Qt's own PDF
// output, so that the build needs nothing beyond Qt.
//   makemanual <manual.md> <VNUM.pdf>

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QTextTableFormat>

#include <cstdio>

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
    if (argc != 3) {
        std::fprintf(stderr, "usage: makemanual <manual.md> <output.pdf>\n");
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
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10),
                                         QPageLayout::Millimeter));
        document.print(&writer);
    }
    if (!output.commit()) {
        std::fprintf(stderr, "makemanual: %s: %s\n", argv[2], qPrintable(output.errorString()));
        return 1;
    }
    return 0;
}
