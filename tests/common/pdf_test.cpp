// Printed pages on real devices: straight to a PDF file and through CUPS to its PDF printer,
// read back with poppler's pdftotext -bbox.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "common/report_frame.h"
#include "platform/cp1252.h"
#include "platform/fake/recording_canvas.h"
#include "platform/qt/qt_dialogs.h"
#include "tests/support/test_support.h"
#include "timing/run_printout.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    std::string text;  // UTF-8
};

struct PdfText {
    double width = 0, height = 0;  // points
    int pages = 0;
    std::vector<Word> words;
};

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

std::string Unescape(std::string s) {
    for (auto [from, to] :
         {std::pair{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}}) {
        for (std::size_t at; (at = s.find(from)) != std::string::npos;)
            s.replace(at, std::strlen(from), to);
    }
    return s;
}

PdfText ReadPdf(const fs::path& pdf) {
    PdfText t;
    std::string html = Output("pdftotext -bbox '" + pdf.string() + "' - 2>/dev/null");
    std::regex page(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
    std::regex word(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::size_t at = 0;
    while (at < html.size()) {
        std::size_t nextPage = html.find("<page ", at);
        std::size_t end = nextPage == std::string::npos ? html.size() : nextPage;
        for (auto it =
                 std::sregex_iterator(html.begin() + long(at), html.begin() + long(end), word);
             it != std::sregex_iterator(); ++it) {
            t.words.push_back({t.pages - 1, std::stod((*it)[1]), std::stod((*it)[2]),
                               std::stod((*it)[3]), std::stod((*it)[4]), Unescape((*it)[5])});
        }
        if (nextPage == std::string::npos) break;
        std::smatch m;
        std::string head = html.substr(nextPage, 80);
        if (std::regex_search(head, m, page)) {
            t.width = std::stod(m[1]);
            t.height = std::stod(m[2]);
        }
        ++t.pages;
        at = nextPage + 1;
    }
    return t;
}

// Logical units to points: the uniform scale and the top-left origin of the printable area.
struct Mapping {
    double left, top, scale;
    double X(int x) const { return left + x * scale; }
    double Y(int y) const { return top + y * scale; }
};

Mapping MappingOf(PageOrientation o, int logicalWidth, int logicalHeight,
                  const QString& printerName = {}) {
    QPrinter printer(QPrinter::HighResolution);
    if (printerName.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer.setPrinterName(printerName);
    }
    printer.setPageOrientation(o == PageOrientation::Landscape ? QPageLayout::Landscape
                                                               : QPageLayout::Portrait);
    QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
    // The device works in whole pixels: the scale of the printable area as the painter sees it.
    double pixelsToPoints = 72.0 / printer.resolution();
    double w = printer.width() * pixelsToPoints, h = printer.height() * pixelsToPoints;
    return {area.left(), area.top(), std::min(w / logicalWidth, h / logicalHeight)};
}

// A text as drawn: its words, consecutive on one page.
struct Found {
    bool ok = false;
    std::size_t first = 0, last = 0;
};

std::vector<Found> FindAll(const PdfText& t, int page, const std::string& text) {
    std::vector<std::string> parts;
    for (std::size_t a = 0, b; a < text.size(); a = b + 1) {
        b = text.find(' ', a);
        if (b == std::string::npos) b = text.size();
        if (b > a) parts.push_back(text.substr(a, b - a));
    }
    std::vector<Found> found;
    for (std::size_t i = 0; i + parts.size() <= t.words.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < parts.size() && match; ++k) {
            const Word& w = t.words[i + k];
            match = w.page == page && w.text == parts[k];
        }
        if (match) found.push_back({true, i, i + parts.size() - 1});
    }
    return found;
}

struct Expected {
    std::string text;  // UTF-8
    Point at;
    Align align;
    bool row = false;  // rows are read top to bottom
};

// Each text on its page, its anchor within a logical unit of where its coordinates map (the top
// within two: the PDF gives the font's ascent, not the cell's), the rows in reading order, and
// every word inside the inner border.
void CheckPage(const PdfText& t, int page, const Mapping& m, const std::vector<Expected>& texts,
               Rect inner) {
    double unit = m.scale * 1.01;
    std::size_t previousRow = 0;
    for (const Expected& e : texts) {
        SCOPED_TRACE(e.text);
        std::vector<Found> all = FindAll(t, page, e.text);
        ASSERT_FALSE(all.empty()) << "not on page " << page + 1;
        auto distance = [&](const Found& f) {
            const Word& a = t.words[f.first];
            const Word& b = t.words[f.last];
            double x = e.align == Align::Right ? b.xMax : a.xMin;
            return std::abs(x - m.X(e.at.x)) + std::abs(a.yMin - m.Y(e.at.y));
        };
        Found f = *std::min_element(all.begin(), all.end(), [&](const Found& p, const Found& q) {
            return distance(p) < distance(q);
        });
        const Word& a = t.words[f.first];
        const Word& b = t.words[f.last];
        if (e.align == Align::Left) {
            EXPECT_NEAR(a.xMin, m.X(e.at.x), unit);
        }
        if (e.align == Align::Right) {
            EXPECT_NEAR(b.xMax, m.X(e.at.x), unit);
        }
        EXPECT_NEAR(a.yMin, m.Y(e.at.y), unit * 2);
        if (e.row) {
            EXPECT_GT(f.first + 1, previousRow) << "out of reading order";
            previousRow = f.first + 1;
        }
    }
    for (const Word& w : t.words) {
        if (w.page != page) continue;
        EXPECT_GE(w.xMin, m.X(inner.left)) << w.text;
        EXPECT_LE(w.xMax, m.X(inner.right)) << w.text;
        EXPECT_GE(w.yMin, m.Y(inner.top)) << w.text;
        EXPECT_LE(w.yMax, m.Y(inner.bottom)) << w.text;
    }
}

std::string Utf8(std::string_view cp1252) {
    return Utf8FromCp1252(cp1252);
}

// Every text the display list of a page draws, as the PDF must show it at its logical point. The
// points themselves are checked by the drawings' own tests; texts of column `rowsX` from
// `rowsY` down are the rows, read top to bottom.
std::vector<Expected> Drawn(const RecordingCanvas& page, int rowsX, int rowsY) {
    std::vector<Expected> e;
    for (const RecordingCanvas::Op& op : page.OfKind(RecordingCanvas::Kind::Text)) {
        if (op.text.find_first_not_of(' ') == std::string::npos) continue;
        e.push_back({Utf8(op.text), op.at, op.style.align, op.at.x == rowsX && op.at.y >= rowsY});
    }
    return e;
}

struct Report {
    std::vector<std::string> names;  // Windows-1252
    std::array<ReportColumn, 3> columns{{{"Pos", 100, Align::Right, 0},
                                         {"Driver", 120, Align::Left, 560},
                                         {"Transponder", 1020, Align::Right, 0}}};
    std::array<int, 2> rules{110, 700};
    ReportHeader header;
    ReportTable table;

    explicit Report(int rows) {
        constexpr std::array<const char*, 8> first{"Lucas",
                                                   "Chlo\xE9",
                                                   "Noah",
                                                   "Ana\xEFs",
                                                   "Tom",
                                                   "L\xE9"
                                                   "a",
                                                   "Hugo",
                                                   "Zo\xE9"};
        constexpr std::array<const char*, 6> last{"Martin", "Lef\xE8vre",  "Dubois",
                                                  "Moreau", "Fran\xE7ois", "Girard"};
        for (int i = 0; i < rows; ++i) {
            names.push_back(std::string(first[std::size_t(i) % 8]) + " " +
                            last[std::size_t(i / 8) % 6] + " " + std::to_string(i + 1));
        }
        // 39 characters, capitals and accents: as wide as a name slot gets.
        names[0] =
            "\xC9L\xC9ONORE-H\xC9L\xC8NE D\xC9SIR\xC9"
            "E LEF\xC8VRE-P\xC9RIGNY";
        header.category = "CATEGORY : 1/10 Touring";
        Format(header.title, "List of participants (%d drivers)", rows);
        header.event = "Event : Winter Cup - Lakeside";
        header.footer = DateFooter("", {2025, 2, 1, 14, 5});
        table.left = 60;
        table.right = 1040;
        table.rules = rules;
        table.columns = columns;
        table.rows = rows;
        table.cell = [this](int row, int column) {
            static thread_local Text<16> number;
            if (column == 0) Format(number, "%d", row + 1);
            if (column == 2) Format(number, "%06d", 1000 + row);
            return ReportCell{column == 1 ? std::string_view(names[std::size_t(row)])
                                          : number.View()};
        };
    }
};

// Where a test keeps its PDFs: VELKARO_KEEP_PDF to look at them, a temporary folder otherwise.
fs::path PdfPath(const test::TempFolder& folder, const std::string& name) {
    const char* keep = std::getenv("VELKARO_KEEP_PDF");
    return keep ? fs::path(keep) / name : folder.Path() / name;
}

// What `draw` prints to a PDF file, read back; and what it draws on a recording canvas.
template <typename Draw>
PdfText PrintedToPdf(const fs::path& pdf, PageOrientation orientation, Draw draw,
                     RecordingCanvas& recorded) {
    auto job = PrintToPdfFile("Printing...", orientation, pdf.string());
    draw(job->Page());
    EXPECT_TRUE(job->Finish());
    draw(recorded);
    return ReadPdf(pdf);
}

TEST(PdfFile, A41RowReportPrintsEveryTextWhereItsCoordinatesMap) {
    test::TempFolder folder;
    Report r(41);
    RecordingCanvas doc;
    PdfText t = PrintedToPdf(
        PdfPath(folder, "report-41.pdf"), PageOrientation::Portrait,
        [&r](Canvas& c) { ASSERT_TRUE(DrawReport(c, r.header, r.table)); }, doc);
    ASSERT_EQ(t.pages, 2) << "is poppler-utils installed?";
    Mapping m = MappingOf(PageOrientation::Portrait, kReportWidth, kReportHeight);
    auto pages = doc.Pages();
    ASSERT_EQ(pages.size(), 2u);
    for (int p = 0; p < 2; ++p) {
        SCOPED_TRACE(p + 1);
        CheckPage(t, p, m, Drawn(pages[std::size_t(p)], 120, 310), {20, 20, 1095, 1580});
    }
    // The widest name stays within its column.
    std::vector<Found> name = FindAll(t, 0, Utf8(r.names[0]));
    ASSERT_EQ(name.size(), 1u);
    EXPECT_LE(t.words[name[0].last].xMax, m.X(120 + 560));
}

RunPrintout RunOf(const LiveRows& rows, int cars) {
    return {"CATEGORY : Buggy 4WD",
            "Qualification : Round1 - Heat2",
            "Event : Winter Cup - Lakeside",
            &rows,
            cars,
            "Duration 5 min - Start at the signal",
            "Dry",
            "Rain at the end"};
}

LiveRows FieldOf(int cars) {
    LiveRows rows;
    for (int k = 0; k < cars; ++k) {
        LiveRow& r = rows[std::size_t(k)];
        Format(r.position, "%d", k + 1);
        Format(r.carNumber, "%d", 20 - k);
        constexpr std::array<const char*, 10> names{
            "Lucas Martin",    "Chlo\xE9 Lef\xE8vre", "Noah Dubois",    "Ana\xEFs Moreau",
            "Tom Fran\xE7ois", "Hugo Girard",         "Zo\xE9 Bernard", "Jules Petit",
            "In\xE8s Roux",    "Louis Fontaine"};
        Format(r.driverName, "%s %c.", names[std::size_t(k) % 10], char('A' + k / 10));
        Format(r.laps, "%d", 30 - k);
        Format(r.totalTime, "5:%02d.%03d", k, 100 + k);
        Format(r.bestLap, "9.%03d", 500 + k);
        Format(r.passingCount, "%d", 31 - k);
        Format(r.lastPassingRaceTime, "5:%02d.%03d", k, 200 + k);
        Format(r.bestLapFromTimes, "9.%03d", 400 + k);
    }
    return rows;
}

TEST(PdfFile, ARunOfTwentyCarsPrintsEveryTextWhereItsCoordinatesMap) {
    test::TempFolder folder;
    LiveRows rows = FieldOf(20);
    RecordingCanvas page;
    PdfText t = PrintedToPdf(
        PdfPath(folder, "run-20.pdf"), PageOrientation::Landscape,
        [&rows](Canvas& c) { DrawRunPrintout(c, RunOf(rows, 20)); }, page);
    ASSERT_EQ(t.pages, 1) << "is poppler-utils installed?";
    EXPECT_GT(t.width, t.height);
    Mapping m = MappingOf(PageOrientation::Landscape, kRunPageWidth, kRunPageHeight);
    CheckPage(t, 0, m, Drawn(page, 286, 335), {20, 20, 1580, 1095});
}

TEST(PrintDialog, CancelGivesNoJob) {
    QTimer::singleShot(200, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    QtDialogs dialogs;
    EXPECT_EQ(dialogs.Print("Run results", PageOrientation::Landscape), nullptr);
}

// "Print to File" proposes the document's name in the user's documents, and the device chosen
// is the one the next print opens on.
TEST(PrintDialog, ProposesTheDocumentsNameAndKeepsTheDeviceChosen) {
    test::TempFolder home;
    fs::create_directories(home.Path() / "Documents");
    const std::string realHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("HOME", home.Path().c_str(), 1);
    const QString expected =
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath("Winter Cup - Touring - Closure report.pdf");
    QtDialogs dialogs;
    struct Seen {
        QString file, device;
    };
    auto answer = [](Seen& seen, bool accept) {
        QTimer::singleShot(200, [&seen, accept] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr) return;
            if (auto* file = dialog->findChild<QLineEdit*>("filename")) seen.file = file->text();
            auto* devices = dialog->findChild<QComboBox*>("printers");
            if (devices != nullptr && accept) devices->setCurrentIndex(devices->count() - 1);
            if (devices != nullptr) seen.device = devices->currentText();
            if (accept) {
                static_cast<QDialog*>(dialog)->accept();
            } else {
                dialog->close();
            }
        });
    };
    Seen first, second;
    answer(first, true);
    auto job = dialogs.Print("Winter Cup - Touring - Closure report", PageOrientation::Portrait);
    ASSERT_NE(job, nullptr);
    job.reset();
    answer(second, false);
    EXPECT_EQ(dialogs.Print("Winter Cup - Touring - Closure report", PageOrientation::Portrait),
              nullptr);
    EXPECT_EQ(first.file, expected);
    EXPECT_EQ(second.file, expected);
    EXPECT_EQ(second.device, first.device);
    EXPECT_FALSE(second.device.isEmpty());
    ::setenv("HOME", realHome.c_str(), 1);
}

// CUPS with its PDF printer: the scheduler is started when none runs, the printer added when
// missing; cups-pdf writes into the user's ~/PDF.
bool SchedulerRuns() {
    return Output("lpstat -r 2>/dev/null").find("scheduler is running") != std::string::npos;
}

TEST(Cups, AReportPageReachesThePdfPrinterWhole) {
    if (!SchedulerRuns()) {
        if (geteuid() != 0) GTEST_SKIP() << "no CUPS scheduler runs and only root may start one";
        std::system("cupsd >/dev/null 2>&1");
        for (int i = 0; i < 50 && !SchedulerRuns(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!SchedulerRuns()) GTEST_SKIP() << "this machine does not let the CUPS scheduler start";
    }
    const std::string printer = "VelkaroPDF";
    if (Output("lpstat -p " + printer + " 2>/dev/null").empty()) {
        ASSERT_EQ(std::system(("lpadmin -p " + printer +
                               " -E -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd "
                               ">/dev/null 2>&1")
                                  .c_str()),
                  0)
            << "cannot add the cups-pdf printer (is printer-driver-cups-pdf installed?)";
    }
    fs::path out = fs::path(getpwuid(geteuid())->pw_dir) / "PDF";
    auto before = fs::exists(out) ? std::distance(fs::directory_iterator(out), {}) : 0;

    Report r(12);
    auto job = PrintOnPrinter("LIST OF DRIVERS : Printing...", PageOrientation::Portrait, printer);
    ASSERT_NE(job, nullptr) << "Qt does not see the CUPS printer " << printer;
    ASSERT_TRUE(DrawReport(job->Page(), r.header, r.table));
    ASSERT_TRUE(job->Finish());

    fs::path pdf;
    for (int i = 0; i < 300 && pdf.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!fs::exists(out) || std::distance(fs::directory_iterator(out), {}) == before) continue;
        auto newest = fs::file_time_type::min();
        for (const auto& f : fs::directory_iterator(out)) {
            if (f.last_write_time() > newest) {
                newest = f.last_write_time();
                pdf = f.path();
            }
        }
    }
    ASSERT_FALSE(pdf.empty()) << "cups-pdf wrote nothing into " << out;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // written whole
    PdfText t = ReadPdf(pdf);
    fs::remove(pdf);
    ASSERT_EQ(t.pages, 1);

    // The printer's PDF goes through Ghostscript, which keeps the glyphs but neither their
    // Unicode names nor their font boxes: each word of the same page printed to a file has one
    // there whose end lies within a unit of where its logical coordinates map on that printer, its
    // middle height within four (the re-made fonts are taller).
    test::TempFolder folder;
    RecordingCanvas unused;
    PdfText d = PrintedToPdf(
        folder.Path() / "direct.pdf", PageOrientation::Portrait,
        [&r](Canvas& c) { ASSERT_TRUE(DrawReport(c, r.header, r.table)); }, unused);
    ASSERT_EQ(t.words.size(), d.words.size());
    Mapping md = MappingOf(PageOrientation::Portrait, kReportWidth, kReportHeight);
    Mapping mc = MappingOf(PageOrientation::Portrait, kReportWidth, kReportHeight,
                           QString::fromStdString(printer));
    for (const Word& w : d.words) {
        SCOPED_TRACE(w.text);
        double x = mc.left + (w.xMax - md.left) / md.scale * mc.scale;
        double y = mc.top + ((w.yMin + w.yMax) / 2 - md.top) / md.scale * mc.scale;
        EXPECT_TRUE(std::any_of(t.words.begin(), t.words.end(),
                                [&](const Word& c) {
                                    return std::abs(c.xMax - x) <= mc.scale * 1.01 &&
                                           std::abs((c.yMin + c.yMax) / 2 - y) <= mc.scale * 4;
                                }))
            << "no word ends near (" << x << ", " << y << ")";
    }
    for (const Word& c : t.words) {
        EXPECT_TRUE(c.xMin >= 0 && c.xMax <= t.width && c.yMin >= 0 && c.yMax <= t.height);
    }
}

}  // namespace
}  // namespace velkaro
