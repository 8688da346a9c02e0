#include "analysis/results_pages.h"

#include <algorithm>
#include <cstdio>

#include "common/time_format.h"

namespace velkaro::results {
namespace {

bool Numeric(const Column& c) {
    return c.kind != ColumnKind::Text;
}

// Characters, not bytes: the names are UTF-8.
std::size_t Width(const std::string& s) {
    return std::size_t(std::count_if(s.begin(), s.end(), [](char ch) {
        return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    }));
}

std::string Pad(const std::string& s, std::size_t width, bool right) {
    std::string fill(width > Width(s) ? width - Width(s) : 0, ' ');
    return right ? fill + s : s + fill;
}

std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string out = "\"";
    for (char ch : s) {
        if (ch == '"') out += '"';
        out += ch;
    }
    return out + "\"";
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (char ch : s) {
        auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", unsigned(u));
            out += buf;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::string RawValue(const Column& column, const Cell& cell) {
    if (cell.blank) return {};
    return Numeric(column) ? std::to_string(cell.value) : cell.text;
}

std::string JsonValue(const Column& column, const Cell& cell) {
    if (cell.blank) return "null";
    return Numeric(column) ? std::to_string(cell.value) : JsonString(cell.text);
}

}  // namespace

std::string ShownText(const Column& column, const Cell& cell) {
    if (cell.blank) return {};
    TimeText t;
    switch (column.kind) {
        case ColumnKind::Text:
            return cell.text;
        case ColumnKind::Number:
            return std::to_string(cell.value);
        case ColumnKind::RaceTime:
            FormatRaceTime(t, SplitTime(std::int32_t(cell.value)));
            return std::string(t.View());
        case ColumnKind::LapTime:
            FormatLapTime(t, SplitTime(std::int32_t(cell.value)));
            return std::string(t.View());
    }
    return {};
}

std::string TextOf(const Table& table) {
    std::vector<std::size_t> widths;
    for (const Column& c : table.columns) widths.push_back(Width(c.name));
    std::vector<std::vector<std::string>> shown;
    for (const auto& row : table.rows) {
        std::vector<std::string> cells;
        for (std::size_t i = 0; i < table.columns.size() && i < row.size(); ++i) {
            cells.push_back(ShownText(table.columns[i], row[i]));
            widths[i] = std::max(widths[i], Width(cells.back()));
        }
        shown.push_back(std::move(cells));
    }
    auto line = [&](auto cellOf) {
        std::string out;
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            if (i > 0) out += "  ";
            out += Pad(cellOf(i), widths[i], Numeric(table.columns[i]));
        }
        while (!out.empty() && out.back() == ' ') out.pop_back();
        return out + "\n";
    };
    std::string out = table.title + "\n";
    for (const std::string& n : table.notes) out += n + "\n";
    out += line([&](std::size_t i) { return table.columns[i].name; });
    for (const auto& cells : shown) out += line([&](std::size_t i) { return cells[i]; });
    return out;
}

std::string CsvOf(const Table& table) {
    std::string out;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (i > 0) out += ',';
        const Column& c = table.columns[i];
        bool time = c.kind == ColumnKind::RaceTime || c.kind == ColumnKind::LapTime;
        out += CsvField(time ? c.name + " (ms)" : c.name);
    }
    out += "\r\n";
    for (const auto& row : table.rows) {
        for (std::size_t i = 0; i < table.columns.size() && i < row.size(); ++i) {
            if (i > 0) out += ',';
            out += CsvField(RawValue(table.columns[i], row[i]));
        }
        out += "\r\n";
    }
    return out;
}

std::string JsonOf(const Table& table) {
    std::string out = "{\"id\":" + JsonString(table.id) + ",\"title\":" + JsonString(table.title);
    out += ",\"notes\":[";
    for (std::size_t i = 0; i < table.notes.size(); ++i)
        out += (i > 0 ? "," : "") + JsonString(table.notes[i]);
    out += "],\"columns\":[";
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const Column& c = table.columns[i];
        static constexpr const char* kKinds[] = {"text", "number", "race_time_ms", "lap_time_ms"};
        out += std::string(i > 0 ? "," : "") + "{\"name\":" + JsonString(c.name) + ",\"type\":\"" +
               kKinds[int(c.kind)] + "\"}";
    }
    out += "],\"rows\":[";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        out += r > 0 ? ",[" : "[";
        for (std::size_t i = 0; i < table.columns.size() && i < table.rows[r].size(); ++i)
            out += (i > 0 ? "," : "") + JsonValue(table.columns[i], table.rows[r][i]);
        out += "]";
    }
    return out + "]}";
}

std::string JsonOf(const Event& event, const std::vector<CategoryTables>& all) {
    std::string out = "{\"event\":" + JsonString(event.eventName) +
                      ",\"club\":" + JsonString(event.club) +
                      ",\"circuit\":" + JsonString(event.circuit) + ",\"categories\":[";
    for (std::size_t c = 0; c < all.size(); ++c) {
        out += std::string(c > 0 ? "," : "") + "{\"number\":" + std::to_string(c + 1) +
               ",\"name\":" + JsonString(all[c].name) + ",\"tables\":[";
        for (std::size_t t = 0; t < all[c].tables.size(); ++t)
            out += (t > 0 ? "," : "") + JsonOf(all[c].tables[t]);
        out += "]}";
    }
    return out + "]}\n";
}

std::string HtmlEscape(const std::string& s) {
    std::string out;
    for (char ch : s) {
        switch (ch) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

std::string HtmlPage(const Event& event, const std::string& title, const std::string& body) {
    std::string heading = event.eventName;
    if (!event.circuit.empty()) heading += (heading.empty() ? "" : " - ") + event.circuit;
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>" +
           HtmlEscape(title) +
           "</title>\n<style>\n"
           "body{font-family:sans-serif;margin:0.5em;color:#000;background:#fff}\n"
           "h1{font-size:1.2em;margin:0.3em 0}h2{font-size:1.05em;margin:0.3em 0}\n"
           ".wrap{overflow-x:auto}table{border-collapse:collapse;font-size:0.9em}\n"
           "th,td{padding:0.2em 0.5em;border-bottom:1px solid #ccc;white-space:nowrap}\n"
           "th{background:#ffff96;text-align:left}td.n,th.n{text-align:right}\n"
           "tr:nth-child(even) td{background:#ffffc8}p.note{color:#960000;margin:0.2em 0}\n"
           "@media print{nav{display:none}.wrap{overflow:visible}tr{break-inside:avoid}"
           "tr:nth-child(even) td{background:none}}\n"
           "</style></head><body>\n<header><h1>" +
           HtmlEscape(heading) + "</h1></header>\n" + body + "</body></html>\n";
}

std::string HtmlTable(const Table& table) {
    std::string out = "<h2>" + HtmlEscape(table.title) + "</h2>\n";
    for (const std::string& n : table.notes) out += "<p class=\"note\">" + HtmlEscape(n) + "</p>\n";
    out += "<div class=\"wrap\"><table>\n<thead><tr>";
    for (const Column& c : table.columns)
        out += std::string(Numeric(c) ? "<th class=\"n\">" : "<th>") + HtmlEscape(c.name) + "</th>";
    out += "</tr></thead>\n<tbody>\n";
    for (const auto& row : table.rows) {
        out += "<tr>";
        for (std::size_t i = 0; i < table.columns.size() && i < row.size(); ++i) {
            const Column& c = table.columns[i];
            out += std::string(Numeric(c) ? "<td class=\"n\">" : "<td>") +
                   HtmlEscape(ShownText(c, row[i])) + "</td>";
        }
        out += "</tr>\n";
    }
    return out + "</tbody></table></div>\n";
}

}  // namespace velkaro::results
