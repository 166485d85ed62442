#include "gui/help_window.h"

#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <filesystem>

#include "base/install_layout.h"
#include "gui/pictures.h"

namespace velta::gui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser) {
    setWindowTitle("VELTA Help");
    setWindowIcon(Picture("help"));  // also registers the resources
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    browser_->setOpenExternalLinks(false);
    // The installed guide (or the source tree's, run from the build tree),
    // whose links to its other pages work; else the copy built in.
    const std::filesystem::path guide = UserGuideFile(RunningProgram());
    browser_->setSource(guide.empty()
                            ? QUrl("qrc:/docs/user_guide.html")
                            : QUrl::fromLocalFile(QString::fromStdString(guide.string())));
    resize(760, 680);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

}  // namespace velta::gui
