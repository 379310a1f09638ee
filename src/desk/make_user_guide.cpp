// Prints the user guide from its Markdown into a PDF at build time:
//   tvx-user-guide GUIDE.md "OUT/Tessivox User Guide.pdf"
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cstdio>

namespace {

// Markdown tables arrive with doubled borders and no padding; print them as ruled grids.
void RuleTables(QTextDocument& guide) {
    for (QTextFrame* frame : guide.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr)
            continue;
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0x90, 0x90, 0x90));
        format.setCellSpacing(0);
        format.setCellPadding(3);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        table->setFormat(format);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tvx-user-guide GUIDE.md OUT.pdf\n");
        return 2;
    }
    QFile in(QFile::decodeName(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tvx-user-guide: %s: %s\n", argv[1], qPrintable(in.errorString()));
        return 1;
    }
    QTextDocument guide;
    guide.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    guide.setDefaultStyleSheet(QStringLiteral("code { font-family: 'DejaVu Sans Mono'; }"));
    guide.setMarkdown(QString::fromUtf8(in.readAll()));
    RuleTables(guide);
    guide.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Tessivox User Guide"));

    // Written beside the final name and renamed, so a failed print never leaves a PDF that
    // looks complete.
    const QString outName = QFile::decodeName(argv[2]);
    const QString partName = outName + QStringLiteral(".part");
    {
        QPdfWriter pdf(partName);
        pdf.setTitle(QStringLiteral("Tessivox User Guide"));
        pdf.setCreator(QStringLiteral("Tessivox"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
        pdf.setResolution(300);
        guide.print(&pdf);
    }
    QFile::remove(outName);
    if (QFile(partName).size() == 0 || !QFile::rename(partName, outName)) {
        QFile::remove(partName);
        std::fprintf(stderr, "tvx-user-guide: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
