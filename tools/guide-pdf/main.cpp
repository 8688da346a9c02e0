// guide-pdf GUIDE.md OUTPUT.pdf: the guide as an A4 PDF, its pictures read beside the Markdown
// file and scaled to the width of the text.

#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {

// A pixel of a picture in points: a form keeps the size of its text close to the guide's own,
// and a whole window (1920 pixels) is brought down to the width of the text.
constexpr double kPointsPerPixel = 0.6;

// Every picture at that scale, at most as wide as the text, its height following.
void FitPictures(QTextDocument& doc, double textWidth) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            QTextFragment fragment = it.fragment();
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            if (!image.isValid()) continue;
            QImage picture =
                doc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
            if (picture.isNull()) {
                std::fprintf(stderr, "guide-pdf: no picture %s\n", qPrintable(image.name()));
                continue;
            }
            const double width = std::min(textWidth, kPointsPerPixel * picture.width());
            image.setWidth(width);
            image.setHeight(width * picture.height() / picture.width());
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: guide-pdf GUIDE.md OUTPUT.pdf\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "guide-pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument doc;
    doc.setDefaultFont(QFont("Arial", 10));
    doc.setBaseUrl(QUrl::fromLocalFile(QFileInfo(in).absolutePath() + "/"));
    doc.setMarkdown(QString::fromUtf8(in.readAll()));

    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setTitle("Velkaro Race Management - Race director's guide");
    pdf.setCreator("Velkaro Race Management");
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
    // The text is laid out in points; the page's text width in points is what a picture may take.
    const double width = pdf.pageLayout().paintRect(QPageLayout::Point).width();
    doc.setPageSize(pdf.pageLayout().paintRect(QPageLayout::Point).size());
    FitPictures(doc, width - 8);
    doc.print(&pdf);
    return 0;
}
