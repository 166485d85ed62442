#include "gui/pictures.h"

#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library, so they are registered by hand.
static void InitVeltaResources() {
    Q_INIT_RESOURCE(resources);
}

namespace velta::gui {

namespace {
void EnsureResources() {
    static const bool once = (InitVeltaResources(), true);
    (void)once;
}
}  // namespace

QPixmap PicturePixmap(const QString& name, QSize size) {
    EnsureResources();
    QSvgRenderer renderer(":/pictures/" + name + ".svg");
    if (!renderer.isValid()) return {};
    if (size.isEmpty()) size = renderer.defaultSize();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon Picture(const QString& name) {
    QIcon icon;
    for (int s : {16, 24, 32, 48}) icon.addPixmap(PicturePixmap(name, QSize(s, s)));
    return icon;
}

}  // namespace velta::gui
