#include "gui/help_window.h"

#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "gui/pictures.h"

namespace velta::gui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle("VELTA Help");
    setWindowIcon(Picture("help"));  // also registers the resources
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(false);
    browser_->setSource(QUrl("qrc:/docs/user_guide.html"));
    resize(760, 680);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

}  // namespace velta::gui
