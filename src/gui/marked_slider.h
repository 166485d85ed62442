#pragma once
// The slider between the charts. A plain slider cannot highlight a position,
// so this one draws the automatic sample size as a coloured tick across its
// track once there is one.
#include <QSlider>

namespace velta::gui {

class MarkedSlider : public QSlider {
    Q_OBJECT
  public:
    explicit MarkedSlider(QWidget* parent = nullptr);

    // The position marked on the track; 0 or a position outside the range
    // for none.
    void SetMark(int position);
    // The position marked, or -1 when there is none.
    int Mark() const;
    // Horizontal pixel of a slider value's centre on the track.
    int PixelOf(int value) const;
    static QColor MarkColour();

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    int mark_ = 0;
};

}  // namespace velta::gui
