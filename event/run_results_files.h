#pragma once

#include <string_view>

#include "common/run_car.h"
#include "common/run_options.h"
#include "platform/disk.h"
#include "platform/messages.h"
#include "platform/text.h"

// The files that hand a run's results from the main window to the results forms and back,
// each overwritten whole in the program folder.

namespace velkaro {

inline constexpr std::string_view kDriverResultsFile = "ResultatPilote.res";
inline constexpr std::string_view kRunDetailsFile = "DetailResultats.res";
inline constexpr std::string_view kRunCommentFile = "CommentaireSerie.res";

inline constexpr std::string_view kDriverResultsFileNotFound =
    "Error: Driver's detailed results file not found";
inline constexpr std::string_view kRunDetailsFileNotFound =
    "Error: Detailed results file not found";
inline constexpr std::string_view kCommentFileNotFound = "Error: Comment file not found";

// Line 2 of the driver's results.
struct DriverResultsHeading {
    Text<105> runTitle;
    Text<40> circuitName;
    Text<105> description;
};

// One driver's passings: name, count, the cumulative times of passings 0 to n; then the run
// title, circuit and run description. A failure is reported; the caller goes on.
bool WriteDriverResults(const RunCars& cars, int carIndex, std::string_view runTitle,
                        std::string_view circuitName, std::string_view description,
                        Messages& messages, Disk& disk);
// Sets the car's name, passing count (at most 300) and cumulative times 0 to n.
bool ReadDriverResults(RunCar& car, DriverResultsHeading& heading, Disk& disk);

// The classification keyword, then every car slot: name, count, the times of passings 1 to n.
bool WriteRunDetails(const RunCars& cars, std::string_view keyword, Messages& messages, Disk& disk);
// Clears the names and the three histories, then stores the times of passings 1 to n at
// indices 0 to n - 1.
bool ReadRunDetails(RunCars& cars, Keyword<Classification>& keyword, Disk& disk);

// Track condition and comment, on one line. Failing is reported by the caller when it needs.
bool WriteRunComment(std::string_view condition, std::string_view comment, Disk& disk);
bool ReadRunComment(Text<6>& condition, Text<100>& comment, Disk& disk);

}  // namespace velkaro
