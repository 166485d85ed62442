#pragma once
// The main window: draws the view of its session and sends the user's
// actions to the command table. It holds no logic of its own.
#include <QMainWindow>
#include <QPointer>
#include <map>

#include "commands/command_table.h"
#include "gui/about_window.h"
#include "gui/help_window.h"
#include "gui/progress_window.h"
#include "view/grid.h"
#include "platform/qt/qt_platform.h"
#include "view/session.h"
#include "view/window_view.h"

class QLabel;
class QLineEdit;
class QComboBox;
class QPushButton;
class QToolBar;
class QShortcut;
class QTimer;

namespace velta::qt {
class ChartView;
class GridView;
}  // namespace velta::qt

namespace velta::gui {

class MarkedSlider;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& session() { return session_; }
    Platform& platform() { return platform_; }

    // Runs a command and shows the session afterwards; false when refused.
    bool Run(Command c);
    bool RunToolbar(const QString& key);
    // Opens `path` as File > Open does, its file dialog answered with the
    // path (velta FILE, a file manager's "Open with"): the same checks, sheet
    // question and messages. False when Open was refused.
    bool OpenAtStart(const QString& path);
    // Shows the view of the session as it is now.
    void Render();
    // What the window shows now (the last rendering).
    const WindowView& view() const { return view_; }

    // Where the window opens without remembered geometry: the preferred size
    // cut to the available area of the screen, centred in it. The frame
    // (title bar, borders) is allowed for.
    static QRect DefaultGeometry(const QRect& available);
    // A remembered geometry (a larger screen's, a screen no longer there) cut
    // to the available area of the screen it opens on and moved into it,
    // frame allowed for; one that fits is kept as it is.
    static QRect FitToScreen(const QRect& remembered, const QRect& available);

    // Widgets by name, for tests and screenshots.
    QWidget* control(const QString& name) const;
    QToolBar* toolbar() const { return toolbar_; }
    AboutWindow* aboutWindow() const { return about_; }
    HelpWindow* helpWindow() const { return help_; }
    ProgressWindow* progressWindow() const { return progress_; }
    qt::ChartView* chart(int i) const { return charts_.at(static_cast<size_t>(i)); }
    qt::QtPlatform& qtPlatform() { return platform_; }
    // Both charts side by side in one file (File > Export chart, the charts'
    // menus).
    void ExportBothCharts();

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    void PlaceOnScreen();
    void SaveGeometry();
    QLineEdit* AddField(const QString& name, std::string WindowView::*text);
    QLineEdit* AddInput(const QString& name, std::string TypedInputs::*input);
    QPushButton* AddButton(const QString& name, const QString& caption, Command c,
                           bool WindowView::*enabled);
    QLabel* AddLabel(const QString& name, std::string WindowView::*text);
    void Register(QWidget* w, const QString& name, const QString& accessibleName);
    void SetTabOrder();
    QWidget* BuildLeft();
    QWidget* BuildCharts();
    QWidget* BuildRight();
    void BuildMenus();
    void BuildToolbar();
    void BuildStatusBar();
    void ShowHelp();
    void ShowAbout();
    void ShowGrids();

    Session session_;
    qt::QtPlatform platform_;
    WindowView view_;
    // The two result grids, filled from the view at every rendering.
    Grid statistics_{3, 6};
    Grid results_{3, 12};

    std::map<QString, QWidget*> controls_;
    std::vector<std::pair<QLineEdit*, std::string WindowView::*>> fields_;
    std::vector<std::pair<QLineEdit*, std::string TypedInputs::*>> inputs_;
    std::vector<std::pair<QPushButton*, bool WindowView::*>> buttons_;
    std::vector<std::pair<QLabel*, std::string WindowView::*>> labels_;
    std::vector<qt::GridView*> grids_;
    std::vector<qt::ChartView*> charts_;
    QComboBox* alpha_ = nullptr;
    MarkedSlider* slider_ = nullptr;
    QLineEdit* trimPercent_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* fileName_ = nullptr;
    QLabel* generationStarted_ = nullptr;
    QLabel* generationCompleted_ = nullptr;
    QLabel* seedUsed_ = nullptr;
    QLabel* repeatsProgress_ = nullptr;
    QTimer* repeatsTimer_ = nullptr;
    QLabel* statusNote_ = nullptr;
    QLabel* statusMessage_ = nullptr;
    QShortcut* abortKey_ = nullptr;
    bool closeAfterGeneration_ = false;
    QPointer<AboutWindow> about_;
    QPointer<HelpWindow> help_;
    QPointer<ProgressWindow> progress_;
};

}  // namespace velta::gui
