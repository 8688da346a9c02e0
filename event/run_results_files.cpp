#include "event/run_results_files.h"

#include <algorithm>
#include <optional>
#include <string>

#include "event/text_lines.h"

namespace velkaro {

namespace {

int PassingCount(int n) {
    return std::min(std::max(n, 0), kMaxPassings);
}

}  // namespace

bool WriteDriverResults(const RunCars& cars, int carIndex, std::string_view runTitle,
                        std::string_view circuitName, std::string_view description,
                        Messages& messages, Disk& disk) {
    std::string out;
    if (carIndex >= 0 && carIndex < kCarSlots) {
        const RunCar& car = cars[static_cast<std::size_t>(carIndex)];
        int n = PassingCount(car.passingCount);
        AppendField(out, car.driverName.View());
        AppendIntField(out, n);
        for (int i = 0; i <= n; ++i)
            AppendIntField(out, car.raceTimes[static_cast<std::size_t>(i)]);
    }
    EndLine(out);
    AppendField(out, runTitle);
    AppendField(out, circuitName);
    AppendField(out, description);
    EndLine(out);
    if (WriteTextFile(kDriverResultsFile, out, disk)) return true;
    messages.Error(kDriverResultsFileNotFound);
    return false;
}

bool ReadDriverResults(RunCar& car, DriverResultsHeading& heading, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(kDriverResultsFile, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    FieldReader first(lines.Next());
    first.NextText(car.driverName);
    int n = PassingCount(first.NextInt());
    car.passingCount = n;
    for (int i = 0; i <= n; ++i) car.raceTimes[static_cast<std::size_t>(i)] = first.NextInt();
    std::string_view second;
    while (second.empty() && !lines.AtEnd()) second = lines.Next();
    FieldReader fields(second);
    fields.NextText(heading.runTitle);
    fields.NextText(heading.circuitName);
    fields.NextText(heading.description);
    return true;
}

bool WriteRunDetails(const RunCars& cars, std::string_view keyword, Messages& messages,
                     Disk& disk) {
    std::string out;
    AppendField(out, keyword);
    EndLine(out);
    for (const RunCar& car : cars) {
        int n = PassingCount(car.passingCount);
        AppendField(out, car.driverName.View());
        AppendIntField(out, n);
        for (int i = 1; i <= n; ++i)
            AppendIntField(out, car.raceTimes[static_cast<std::size_t>(i)]);
        EndLine(out);
    }
    if (WriteTextFile(kRunDetailsFile, out, disk)) return true;
    messages.Error(kRunDetailsFileNotFound);
    return false;
}

bool ReadRunDetails(RunCars& cars, Keyword<Classification>& keyword, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(kRunDetailsFile, disk);
    if (!bytes) return false;
    for (RunCar& car : cars) {
        car.driverName.Clear();
        car.raceTimes.fill(0);
        car.lapTimes.fill(0);
        car.positions.fill(0);
    }
    LineReader lines(*bytes);
    keyword = Keyword<Classification>::Parse(FieldReader(lines.Next()).Next());
    for (RunCar& car : cars) {
        if (lines.AtEnd()) break;
        FieldReader fields(lines.Next());
        fields.NextText(car.driverName);
        int n = PassingCount(fields.NextInt());
        car.passingCount = n;
        for (int i = 0; i < n; ++i) car.raceTimes[static_cast<std::size_t>(i)] = fields.NextInt();
    }
    return true;
}

bool WriteRunComment(std::string_view condition, std::string_view comment, Disk& disk) {
    std::string out;
    AppendField(out, condition);
    AppendField(out, comment);
    EndLine(out);
    return WriteTextFile(kRunCommentFile, out, disk);
}

bool ReadRunComment(Text<6>& condition, Text<100>& comment, Disk& disk) {
    std::optional<std::string> bytes = ReadTextFile(kRunCommentFile, disk);
    if (!bytes) return false;
    LineReader lines(*bytes);
    FieldReader fields(lines.Next());
    fields.NextText(condition);
    fields.NextText(comment);
    return true;
}

}  // namespace velkaro
