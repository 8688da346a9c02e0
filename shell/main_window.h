#pragma once

#include <QMainWindow>
#include <map>

class QAction;

namespace velkaro {

// The one top-level window: menu bar, and the work area the event tree, race panel and live
// screen will fill.
class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);

    // The menu command with this id, or nullptr.
    QAction* Command(int id) const;

  signals:
    void CommandTriggered(int id);

  private:
    void BuildMenuBar();
    std::map<int, QAction*> commands_;
};

}  // namespace velkaro
