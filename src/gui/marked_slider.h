#pragma once
// The slider between the charts. A plain slider cannot highlight a position,
// so this one draws the automatic sample size (the slider's selection start)
// as a coloured tick across its track once an automatic size exists.
#include <QSlider>

#include "model/workspace.h"

namespace velta::gui {

class MarkedSlider : public QSlider {
    Q_OBJECT
  public:
    explicit MarkedSlider(const Workspace& ws, QWidget* parent = nullptr);

    // The position marked on the track, or -1 when there is none.
    int Mark() const;
    // Horizontal pixel of a slider value's centre on the track.
    int PixelOf(int value) const;
    static QColor MarkColour();

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    const Workspace& ws_;
};

}  // namespace velta::gui
