#pragma once
// The slider between the charts, with the automatic sample size marked on
// its track (the slider's selection start) once the automatic procedure has
// found one for the clouds shown.
#include <QSlider>

#include "model/workspace.h"

namespace velta::gui {

class MarkedSlider : public QSlider {
    Q_OBJECT
  public:
    MarkedSlider(const Workspace& ws, QWidget* parent = nullptr);

    // The marked value, or -1 when nothing is marked.
    int Mark() const;

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    const Workspace& ws_;
};

}  // namespace velta::gui
