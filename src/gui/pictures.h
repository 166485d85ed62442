#pragma once
// The program's own pictures (SVG, compiled into the executable).
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace velta::gui {

// The picture ":/pictures/<name>.svg" as an icon.
QIcon Picture(const QString& name);
// The same picture rendered at a given size (its own size when empty).
QPixmap PicturePixmap(const QString& name, QSize size = {});

}  // namespace velta::gui
