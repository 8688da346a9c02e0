#pragma once

#include <array>

namespace velkaro {

// Pictures of the main window, in the program folder's "images". The tree icons are 16 x 16
// with transparency; the race panel faces 40 x 40 (Start, Stop, Clear) or 32 x 32.

// Image 0: qualification, finals and round nodes.
inline constexpr const char* kTreeIconGroup = "images/arbreGroupe.bmp";
// Image 1: the track.
inline constexpr const char* kTreeIconTrack = "images/arbrePiste.bmp";
// Image 2: the drivers node and each driver.
inline constexpr const char* kTreeIconDriver = "images/arbrePilote.bmp";
// Image 3: qualification and finals parameters.
inline constexpr const char* kTreeIconParameters = "images/arbreParametres.bmp";
// Image 4: qualification and finals arrangement.
inline constexpr const char* kTreeIconArrangement = "images/arbreRepartition.bmp";
// Image 5: a category.
inline constexpr const char* kTreeIconCategory = "images/arbreCategorie.bmp";
// Image 6: a heat or finals run without a result.
inline constexpr const char* kTreeIconRun = "images/arbreSerie.bmp";
// Image 7: classifications and the closure report.
inline constexpr const char* kTreeIconReport = "images/arbreClassement.bmp";
// Image 8: a heat or finals run whose result is recorded.
inline constexpr const char* kTreeIconRunDone = "images/arbreSerieCourue.bmp";
// Image 9: completes the list of ten; no node kind shows it.
inline constexpr const char* kTreeIconSpare = "images/arbreChrono.bmp";

// The tree's image list: index = image number of a node.
inline constexpr std::array<const char*, 10> kTreeIcons{
    kTreeIconGroup,    kTreeIconTrack, kTreeIconDriver, kTreeIconParameters, kTreeIconArrangement,
    kTreeIconCategory, kTreeIconRun,   kTreeIconReport, kTreeIconRunDone,    kTreeIconSpare,
};

// Face of button 2001 "Start".
inline constexpr const char* kStartPicture = "images/boutonDepart.bmp";
// Face of button 2002 "Stop".
inline constexpr const char* kStopPicture = "images/boutonStop.bmp";
// Face of button 2003 "Clear".
inline constexpr const char* kClearPicture = "images/boutonEffacer.bmp";
// Face of button 6101, which opens the run's results menu.
inline constexpr const char* kResultsPicture = "images/boutonResultats.bmp";
// Face of button 6000 "Print": the printer every report form's "Print" button shows too.
inline constexpr const char* kPrintPicture = "images/impression.bmp";

}  // namespace velkaro
