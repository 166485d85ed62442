#pragma once
// The start-up window: one picture button; a click opens the main window.
#include <QPointer>
#include <QWidget>

class QPushButton;

namespace velta::gui {

class MainWindow;

class SplashWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SplashWindow(QWidget* parent = nullptr);
    QPushButton* button() const { return button_; }
    // The main window opened by the click, for tests.
    MainWindow* mainWindow() const;

  private:
    void OpenMainWindow();
    QPushButton* button_;
    QPointer<MainWindow> main_;
};

}  // namespace velta::gui
