#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "analysis/lap_analysis.h"
#include "analysis/run_details.h"
#include "event/run_results_files.h"
#include "forms_kit/form_kit.h"
#include "timing/run_control.h"

class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace velkaro {

struct AppPlatform;

// A surface the logic's display lists are painted on.
class CanvasView final : public QWidget {
  public:
    CanvasView(std::function<void(Canvas&)> paint, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::function<void(Canvas&)> paint_;
};

// "Driver results Analysis": one driver's laps from the driver results file, in three views.
// viewMode (0 "Data", 1 "Histo", 2 "Curve") outlives the form.
class DriverAnalysisForm final : public ModalForm {
  public:
    DriverAnalysisForm(int& viewMode, AppPlatform& platform, QWidget* parent = nullptr);

    CanvasView* View() const { return view_; }
    const RunCar& Car() const { return car_; }
    int FirstLap() const { return first_; }
    int LastLap() const { return last_; }
    const LapStatistics& Statistics() const { return statistics_; }
    const LapCurve& Curve() const { return curve_; }

  private:
    void RangeTyped(QLineEdit* field, bool isFirst);
    void Recompute();
    void Paint(Canvas& canvas);
    void Print();

    int& viewMode_;
    AppPlatform& platform_;
    RunCar car_;
    DriverResultsHeading heading_;
    AnalysisTitles titles_;
    int first_ = 0, last_ = 0;
    LapStatistics statistics_;
    LapHistogram histogram_;
    LapCurve curve_;
    CanvasView* view_;
    CanvasView* strip_;
    QScrollBar* stripScroll_;
};

// "Run detailed results": the run's race and lap times per passing and the positions chart.
class RunDetailsForm final : public ModalForm {
  public:
    RunDetailsForm(Messages& messages, Disk& disk, QWidget* parent = nullptr);

    const RunDetails& Details() const { return details_; }
    CanvasView* View() const { return view_; }

  private:
    void Show(DetailsView view);

    RunDetails details_;
    DetailsView shown_ = DetailsView::RaceTime;
    CanvasView* view_;
    QScrollBar* laps_;
    QScrollBar* cars_;
};

// "Comment about the run": the track condition and a comment, handed back in their file.
class CommentForm final : public ModalForm {
  public:
    CommentForm(Messages& messages, Disk& disk, QWidget* parent = nullptr);

  protected:
    bool Write() override;

  private:
    Disk& disk_;
    Text<6> condition_;
    Text<100> comment_;
};

// What the analysis forms read and change of the application: the run in the panel, and the
// program folder its files are in.
struct AnalysisFormsContext {
    const std::string& programFolder;
    RunEngine& engine;
};

struct FormHost;
class CommandRegistry;
// The driver analysis (Ctrl and a click on a driver's row), and the results pop-up's "Run
// detailed results" and "Add a comment", which hand the run in the panel over through their files.
void RegisterAnalysisForms(CommandRegistry& commands, const FormHost& host,
                           AnalysisFormsContext context);

}  // namespace velkaro
