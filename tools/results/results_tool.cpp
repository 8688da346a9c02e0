#include "tools/results/results_tool.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

#include "event/damage.h"
#include "event/event_file.h"
#include "event/snapshot_disk.h"
#include "platform/cp1252.h"
#include "qualification/qualif_options.h"
#include "analysis/results_pages.h"
#include "tools/results/replay.h"
#include "analysis/results_tables.h"

namespace velkaro::results {

const char* const kUsage = R"USAGE(Usage: velkaro-results COMMAND EVENT.race [OPTIONS]

The results of an event file, read without changing it, from the same functions the program's
forms use.

Commands:
  check EVENT.race                     every section the header or the run flags say exists,
                                       and every section found, measured against its reservation:
                                       one line per missing, cut short or overflowing section
                                       with its title and byte offset; exit 0 sound, 3 damaged
  round EVENT.race --category C --round R
                                       the round classification from the round's stored heats,
                                       as the form shows it before Validate
  overall EVENT.race --category C [--best N]
                                       the overall ranking; N defaults to the stored value
  finals EVENT.race --category C       each finals run from the starting level up to the Final:
                                       its field and its stored result
  closure EVENT.race --category C      the closure table
  export EVENT.race --out DIR          every table of every category as CSV (one file a table),
                                       results.json, and a static HTML site (index.html)
  replay CAPTURE --model mk1|mk2 [--car T[=NAME]]... [run options]
                                       a decoder capture (the decoder simulator's record format)
                                       read as the program reads its port, in reads of at most
                                       255 bytes every 10 ms, through the run's own passing
                                       processing from its clock zero: each passing counted,
                                       rejected or ignored, the live order after each lap, then
                                       the heat's result lines as the event file stores them

Options:
  --category C     the category's number (from 1) or its name
  --format F       text (default, aligned), csv or json (not replay: its log is text)
  --help           this text

Replay options (as the qualifying options form offers them; unset, those of a category without
options of its own: 1 minute from the signal, every car finishing its lap):
  --model M        mk1 or mk2; wins over the capture's own "model" line
  --car T[=NAME]   a car with transponder T (0 to 65535), in grid order, up to 20; a shared
                   transponder counts for every car that has it. None: one car per transponder
                   of the capture, named by its number, in order of first appearance
  --minutes M | --laps N     the run's length (1 to 60 minutes, 1 to 150 laps)
  --start S        signal, staggered (each car's first crossing starts its clock) or first-car
  --end E          signal, finish-lap or all-laps (laps runs), where the start leaves it open
  --min-lap S      the circuit's minimum lap time in seconds (default 2)
  --classification laps-time|best-lap

Columns (times in milliseconds in CSV and JSON, as h:mm:ss.mmm / s.mmm in text and HTML; an
empty cell or null is a value that does not exist):
  round:   Place, Driver, Laps, Racetime (total time), Best lap, Points
  overall: Place, Driver, Total (points of the best N rounds), then for each round slot, highest
           first: Best/2nd/3rd... (points) and "... round" (the round they came from), then the
           best result's Laps and Racetime and the smallest Best lap
  finals:  per run, its field: Grid (starting place), Driver ("(NA)" an empty place); then its
           stored result in finishing order: Place, Driver, Laps, Racetime, Last lap (the lap
           time of the last passing), or "Not run yet"
  closure: Rank ("Q" a driver listed higher up), Driver, Level (FIN, 1/2A..., Q from the
           qualification), Place in that run, Laps, Racetime, Qualif place, Qualif points
Notes above a table carry what the form would show: "Round not completed (...)", "... drivers
have no points", damaged heats, drivers no longer among the participants.

Exit status: 0 done, 2 usage (unknown command or option, no such category or round),
3 a file that cannot be read, is empty, is not an event file, or is damaged (check), or a
capture that is not one or ends in the middle of a passing.
)USAGE";

namespace {

enum class Format { Text, Csv, Json };

struct Options {
    std::string command, file, category, out;
    std::optional<int> round, best;
    Format format = Format::Text;
    std::vector<std::pair<std::string, std::string>> replay;  // in the order given
};

constexpr std::string_view kReplayOptions[] = {
    "--model", "--car", "--classification", "--minutes", "--laps", "--start", "--end", "--min-lap"};

struct Fault {
    int status = kExitDone;
    std::string message;
};

bool ParseCount(std::string_view s, int& v) {
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

Fault Usage(std::string message) {
    return {kExitUsage, "velkaro-results: " + message + " (see --help)\n"};
}
Fault Damaged(std::string message) {
    return {kExitDamaged, "velkaro-results: " + message + "\n"};
}

Fault ParseArgs(const std::vector<std::string>& args, Options& o) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--category") {
            if (!value(o.category)) return Usage("--category needs a value");
        } else if (a == "--round" || a == "--best") {
            int n = 0;
            if (!value(v) || !ParseCount(v, n)) return Usage(a + " needs a number");
            (a == "--round" ? o.round : o.best) = n;
        } else if (a == "--format") {
            if (!value(v)) return Usage("--format needs text, csv or json");
            if (v == "text") {
                o.format = Format::Text;
            } else if (v == "csv") {
                o.format = Format::Csv;
            } else if (v == "json") {
                o.format = Format::Json;
            } else {
                return Usage("unknown format \"" + v + "\"");
            }
        } else if (a == "--out") {
            if (!value(o.out)) return Usage("--out needs a folder");
        } else if (std::find(std::begin(kReplayOptions), std::end(kReplayOptions), a) !=
                   std::end(kReplayOptions)) {
            if (!value(v)) return Usage(a + " needs a value");
            o.replay.emplace_back(a, v);
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option \"" + a + "\"");
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return Usage("a command and one file are needed");
    o.command = positional[0];
    o.file = positional[1];
    static constexpr std::string_view kCommands[] = {"check",   "round",  "overall", "finals",
                                                     "closure", "export", "replay"};
    if (std::find(std::begin(kCommands), std::end(kCommands), o.command) == std::end(kCommands))
        return Usage("unknown command \"" + o.command + "\"");
    if (o.command != "replay" && !o.replay.empty())
        return Usage(o.replay.front().first + " is an option of replay");
    if (o.command == "replay" &&
        (!o.category.empty() || o.round || o.best || !o.out.empty() || o.format != Format::Text))
        return Usage("replay takes none of --category, --round, --best, --out, --format csv|json");
    bool needsCategory = o.command != "check" && o.command != "export" && o.command != "replay";
    if (needsCategory && o.category.empty()) return Usage(o.command + " needs --category");
    if (o.command == "round" && !o.round) return Usage("round needs --round");
    if (o.command == "export" && o.out.empty()) return Usage("export needs --out");
    if (o.best && (*o.best < 0 || *o.best > kRounds)) return Usage("--best takes 0 to 9");
    return {};
}

std::string Render(const Table& t, Format format) {
    switch (format) {
        case Format::Csv:
            return CsvOf(t);
        case Format::Json:
            return JsonOf(t) + "\n";
        case Format::Text:
            break;
    }
    return TextOf(t);
}

std::string RenderAll(const std::vector<Table>& tables, Format format) {
    if (format == Format::Json) {
        std::string out = "[";
        for (std::size_t i = 0; i < tables.size(); ++i)
            out += (i > 0 ? "," : "") + JsonOf(tables[i]);
        return out + "]\n";
    }
    std::string out;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (i > 0) out += format == Format::Csv ? "\r\n" : "\n";
        if (format == Format::Csv) out += "# " + tables[i].title + "\r\n";
        out += Render(tables[i], format);
    }
    return out;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(f);
}

Fault Export(const Event& event, Disk& disk, const std::string& dir, std::string& out) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path root(dir);
    fs::create_directories(root, ec);
    if (ec) return Damaged("cannot create the folder " + dir + ": " + ec.message());
    std::vector<CategoryTables> all = AllTables(event, disk);
    int files = 0;
    auto write = [&](const std::string& name, const std::string& bytes) {
        if (!WriteFile(root / name, bytes)) return false;
        ++files;
        return true;
    };
    std::string index = "<nav><ul>\n";
    for (std::size_t c = 0; c < all.size(); ++c) {
        std::string catPage = "c" + std::to_string(c + 1) + ".html";
        index += "<li><a href=\"" + catPage + "\">" + HtmlEscape(all[c].name) + "</a></li>\n";
        std::string list = "<nav><a href=\"index.html\">All categories</a></nav>\n<h2>" +
                           HtmlEscape(all[c].name) + "</h2>\n<ul>\n";
        for (const Table& t : all[c].tables) {
            if (!write(t.id + ".csv", CsvOf(t))) return Damaged("cannot write " + t.id + ".csv");
            std::string page = "<nav><a href=\"index.html\">All categories</a> &gt; <a href=\"" +
                               catPage + "\">" + HtmlEscape(all[c].name) + "</a></nav>\n" +
                               HtmlTable(t);
            if (!write(t.id + ".html", HtmlPage(event, t.title, page)))
                return Damaged("cannot write " + t.id + ".html");
            list += "<li><a href=\"" + t.id + ".html\">" + HtmlEscape(t.title) +
                    "</a> (<a href=\"" + t.id + ".csv\">CSV</a>)</li>\n";
        }
        if (all[c].tables.empty()) list += "<li>No results yet</li>\n";
        list += "</ul>\n";
        if (!write(catPage, HtmlPage(event, all[c].name, list)))
            return Damaged("cannot write " + catPage);
    }
    index += "</ul></nav>\n<p><a href=\"results.json\">All results as JSON</a></p>\n";
    if (!write("index.html",
               HtmlPage(event, event.eventName.empty() ? "Results" : event.eventName, index)))
        return Damaged("cannot write index.html");
    if (!write("results.json", JsonOf(event, all))) return Damaged("cannot write results.json");
    out += std::to_string(files) + " files written to " + dir + "\n";
    return {};
}

// The replay's settings from its options, checked as the qualifying options form checks them.
Fault SetUpReplay(const Options& o, const sim::Record& capture, ReplaySetup& setup) {
    std::optional<sim::Model> model = capture.model;
    std::optional<std::string> minutes, laps, start, end;
    QualifOptions& q = setup.options;
    for (const auto& [name, v] : o.replay) {
        int n = 0;
        if (name == "--model") {
            if (v != "mk1" && v != "mk2") return Usage("--model takes mk1 or mk2");
            model = v == "mk1" ? sim::Model::Mk1 : sim::Model::Mk2;
        } else if (name == "--car") {
            std::size_t eq = v.find('=');
            std::string number = v.substr(0, eq);
            std::string car = Cp1252FromUtf8(eq == std::string::npos ? number : v.substr(eq + 1));
            if (!ParseCount(number, n) || n < 0 || n > 65535)
                return Usage("--car takes a transponder number from 0 to 65535, then =NAME");
            if (car.empty() || car.size() >= 40)
                return Usage("a car's name has 1 to 39 characters: \"" + v + "\"");
            if (setup.cars.size() == std::size_t(kCarSlots))
                return Usage("a run has 20 cars at most");
            setup.cars.push_back({std::uint32_t(n), car});
        } else if (name == "--classification") {
            if (v != "laps-time" && v != "best-lap")
                return Usage("--classification takes laps-time or best-lap");
            q.placing =
                v == "laps-time" ? Classification::ByLapsAndTime : Classification::ByBestLap;
        } else if (name == "--min-lap") {
            if (!ParseCount(v, n) || n < 0) return Usage("--min-lap takes seconds");
            setup.minimumLapSeconds = n;
        } else {
            (name == "--minutes" ? minutes
             : name == "--laps"  ? laps
             : name == "--start" ? start
                                 : end) = v;
        }
    }
    if (!model) return Usage("replay needs --model mk1 or mk2: the capture names no model");
    setup.model = *model;
    if (minutes && laps) return Usage("a run lasts --minutes or --laps, not both");
    if (minutes || laps) {
        int n = 0;
        if (!ParseCount(minutes ? *minutes : *laps, n) || n < 0)
            return Usage(minutes ? "--minutes takes a number" : "--laps takes a number");
        q.durationKind = minutes ? DurationKind::ByTime : DurationKind::ByLaps;
        (minutes ? q.runMinutes : q.runLaps) =
            (minutes ? TakeRunMinutes(*minutes) : TakeRunLaps(*laps)).value;
    }
    if (start) {
        if (*start != "signal" && *start != "staggered" && *start != "first-car")
            return Usage("--start takes signal, staggered or first-car");
        ChooseStart(q, *start == "signal"      ? StartMode::AtSignal
                       : *start == "staggered" ? StartMode::Staggered
                                               : StartMode::FirstCar);
    }
    if (end) {
        OptionsControls open = ControlsOf(q);
        bool byTime = q.durationKind == DurationKind::ByTime;
        bool taken = false;
        if (*end == "signal") {
            taken = byTime ? open.timeEndAtSignal : open.lapsEndAtSignal;
            q.endAtTime = TimeEnd::AtSignal;
            q.endAtLaps = LapsEnd::AtSignal;
        } else if (*end == "finish-lap") {
            taken = byTime || open.lapsEndFinishLap;
            q.endAtTime = TimeEnd::FinishLap;
            q.endAtLaps = LapsEnd::FinishLap;
        } else if (*end == "all-laps") {
            taken = !byTime && open.lapsEndAllLaps;
            q.endAtLaps = LapsEnd::AllLaps;
        } else {
            return Usage("--end takes signal, finish-lap or all-laps");
        }
        if (!taken) return Usage("--end " + *end + " is not open to this start and duration");
    }
    return {};
}

Fault ReplayOn(const Options& o, std::string_view bytes, std::string& out) {
    sim::Record capture;
    std::string error;
    if (!sim::ParseRecord(bytes, &capture, &error))
        return Damaged(o.file + ": not a decoder capture: " + error);
    ReplaySetup setup;
    if (Fault f = SetUpReplay(o, capture, setup); f.status != kExitDone) return f;
    setup.startedAt = SystemClock().Now();
    ReplayOutcome replay = Replay(capture, setup);
    out += replay.log;
    if (!replay.fault.empty()) return Damaged(o.file + ": " + replay.fault);
    return {};
}

// The section by its title, where it is in the file, and the bytes that make it damaged.
std::string DescribeIssue(const SectionIssue& issue) {
    std::string at =
        "offset " + std::to_string(issue.offset) + ": \"" +
        (issue.kind == SectionKind::Header ? "(header)" : Utf8FromCp1252(issue.title)) + "\" ";
    switch (issue.problem) {
        case SectionProblem::Missing:
            return at + "missing";
        case SectionProblem::CutShort:
            if (issue.size >= issue.expected) return at + "cut short (the file ends inside it)";
            return at + "cut short (" + std::to_string(issue.size) + " bytes of at least " +
                   std::to_string(issue.expected) + ")";
        case SectionProblem::Overflowing:
            return at + "overflowing its reservation (" + std::to_string(issue.size) +
                   " bytes of at most " + std::to_string(issue.expected) + ")";
    }
    return at;
}

Fault RunOn(const Options& o, std::string bytes, std::string& out) {
    if (o.command == "replay") return ReplayOn(o, bytes, out);
    if (bytes.empty()) return Damaged(o.file + ": the file is empty");
    auto disk = std::make_unique<SnapshotDisk>(std::move(bytes));
    Event event;
    if (!ReadEvent(*disk, event)) return Damaged(o.file + ": not an event file");

    if (o.command == "check") {
        RunDoneFlags flags;
        ReadRunDoneFlags(flags, *disk);
        std::vector<SectionIssue> issues = CheckEvent(disk->Bytes(), event.header, flags);
        for (const SectionIssue& i : issues) out += DescribeIssue(i) + "\n";
        if (!issues.empty())
            return Damaged(o.file + ": " + std::to_string(issues.size()) + " damaged section" +
                           (issues.size() > 1 ? "s" : ""));
        out += "sound: " + std::to_string(event.header.categoryCount) + " categories\n";
        return {};
    }
    if (o.command == "export") return Export(event, *disk, o.out, out);

    int c = FindCategory(event, o.category);
    if (c == 0) return Usage("no category \"" + o.category + "\" in " + o.file);
    const CategoryRecord& record = event.header.categories[std::size_t(c - 1)];
    if (o.command == "round") {
        if (*o.round < 1 || *o.round > record.rounds)
            return Usage("no round " + std::to_string(*o.round) + " in category \"" +
                         CategoryName(event, c) + "\" (" + std::to_string(record.rounds) +
                         " rounds)");
        out += Render(RoundTable(event, c, *o.round, *disk), o.format);
    } else if (o.command == "overall") {
        out += Render(OverallTable(event, c, o.best.value_or(-1), *disk), o.format);
    } else if (o.command == "finals") {
        std::vector<Table> runs = FinalsTables(event, c, *disk);
        if (runs.empty() && o.format == Format::Text) out += "No finals runs: not generated yet\n";
        out += RenderAll(runs, o.format);
    } else {
        out += Render(ClosureTableOf(event, c, *disk), o.format);
    }
    return {};
}

bool WantsHelp(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--help") != args.end() ||
           std::find(args.begin(), args.end(), "-h") != args.end();
}

}  // namespace

int RunTool(const std::vector<std::string>& args, std::string& out, std::string& err) {
    if (WantsHelp(args)) {
        out += kUsage;
        return kExitDone;
    }
    Options o;
    Fault f = ParseArgs(args, o);
    if (f.status == kExitDone) {
        std::ifstream in(o.file, std::ios::binary);
        if (!in) {
            f = Damaged(o.file + ": cannot be read");
        } else {
            std::string bytes((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
            f = in.bad() ? Damaged(o.file + ": cannot be read") : RunOn(o, std::move(bytes), out);
        }
    }
    err += f.message;
    return f.status;
}

int RunToolOnBytes(const std::vector<std::string>& args, const std::string& eventBytes,
                   std::string& out, std::string& err) {
    Options o;
    Fault f = ParseArgs(args, o);
    if (f.status == kExitDone) f = RunOn(o, eventBytes, out);
    err += f.message;
    return f.status;
}

}  // namespace velkaro::results
