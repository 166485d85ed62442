#pragma once
// The progress window of a generation: four bars, three phase captions and
// Abort. It shows the session's progress state and writes nothing but the
// abort request; the generation opens and closes it through that state.
#include <QWidget>

#include "view/session.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace velta::gui {

class ProgressWindow : public QWidget {
    Q_OBJECT
  public:
    explicit ProgressWindow(Session& s, QWidget* parent = nullptr);

    // Shows the state as it is now (bars, captions).
    void Sync();

    QProgressBar* bar(int i) const { return bars_[i]; }
    QLabel* caption(int phase) const { return captions_[phase]; }
    QPushButton* abortButton() const { return abort_; }

  private:
    Session& session_;
    QProgressBar* bars_[5] = {};
    QLabel* captions_[4] = {};  // by phase 1 .. 3
    QPushButton* abort_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace velta::gui
