#pragma once
// The user guide, shown in its own window.
#include <QWidget>

class QTextBrowser;

namespace velta::gui {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

  private:
    QTextBrowser* browser_;
};

}  // namespace velta::gui
