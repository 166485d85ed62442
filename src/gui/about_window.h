#pragma once
// "About VELTA": title, version, description, pictures and a usage notice.
#include <QWidget>

namespace velta::gui {

class AboutWindow : public QWidget {
    Q_OBJECT
  public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

}  // namespace velta::gui
