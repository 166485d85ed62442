#pragma once
// The main window: renders the Workspace and runs the commands of the
// command table. It holds no logic of its own.
#include <QMainWindow>
#include <QPointer>
#include <map>

#include "app/commands.h"
#include "gui/about_window.h"
#include "gui/help_window.h"
#include "gui/progress_window.h"
#include "model/workspace.h"
#include "platform/qt/qt_platform.h"

class QLabel;
class QLineEdit;
class QComboBox;
class QPushButton;
class QSlider;
class QToolBar;

namespace velta::qt {
class ChartView;
class GridView;
}  // namespace velta::qt

namespace velta::gui {

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Workspace& workspace() { return ws_; }
    Platform& platform() { return platform_; }

    // Runs a command and shows the workspace afterwards; false when refused.
    bool Run(Command c);
    bool RunToolbar(const QString& key);
    // Opens `path` as File > Open does, its file dialog answered with the
    // path (velta FILE, a file manager's "Open with"): the same checks, sheet
    // question and messages. False when Open was refused.
    bool OpenAtStart(const QString& path);
    // Shows every field, grid and chart as the workspace holds them now.
    void Render();

    // Where the window opens without remembered geometry: the preferred size
    // cut to the available area of the screen, centred in it. The frame
    // (title bar, borders) is allowed for.
    static QRect DefaultGeometry(const QRect& available);

    // Widgets by the workspace's control names, for tests and screenshots.
    QWidget* control(const QString& name) const;
    QToolBar* toolbar() const { return toolbar_; }
    AboutWindow* aboutWindow() const { return about_; }
    HelpWindow* helpWindow() const { return help_; }
    ProgressWindow* progressWindow() const { return progress_; }

    qt::ChartView* chart(int i) const { return charts_.at(static_cast<size_t>(i)); }

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void PlaceOnScreen();
    void SaveGeometry();
    QLineEdit* AddField(Field& field, const QString& name, bool editable);
    QPushButton* AddButton(Field& field, const QString& name, const QString& caption, Command c);
    QWidget* BuildLeft();
    QWidget* BuildCharts();
    QWidget* BuildRight();
    void BuildMenus();
    void BuildToolbar();
    void BuildStatusBar();
    void ShowHelp();
    void ShowAbout();

    Workspace ws_;
    qt::QtPlatform platform_;

    std::map<QString, QWidget*> controls_;
    std::vector<std::pair<QLineEdit*, Field*>> fields_;
    std::vector<std::pair<QPushButton*, Field*>> buttons_;
    std::vector<std::pair<QLabel*, Field*>> labels_;
    std::vector<qt::GridView*> grids_;
    std::vector<qt::ChartView*> charts_;
    QComboBox* alpha_ = nullptr;
    QSlider* slider_ = nullptr;
    QLineEdit* txtPerc_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* panels_[9] = {};
    QLabel* statusNote_ = nullptr;
    bool closeAfterGeneration_ = false;
    QPointer<AboutWindow> about_;
    QPointer<HelpWindow> help_;
    QPointer<ProgressWindow> progress_;
};

}  // namespace velta::gui
