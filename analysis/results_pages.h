#pragma once

#include <string>
#include <vector>

#include "analysis/results_tables.h"

// A table as text for a terminal, CSV, JSON, or an HTML page. Times are milliseconds in CSV and
// JSON and the program's time format in text and HTML.

namespace velkaro::results {

std::string TextOf(const Table& table);
std::string CsvOf(const Table& table);
std::string JsonOf(const Table& table);
// The whole export as one JSON document.
std::string JsonOf(const Event& event, const std::vector<CategoryTables>& all);

// A cell as the program shows it: times formatted, blanks empty.
std::string ShownText(const Column& column, const Cell& cell);

// Self-contained pages: no script, one inline style sheet that reads on a phone and prints.
std::string HtmlPage(const Event& event, const std::string& title, const std::string& body);
std::string HtmlTable(const Table& table);
std::string HtmlEscape(const std::string& s);

}  // namespace velkaro::results
