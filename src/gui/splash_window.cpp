#include "gui/splash_window.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "gui/main_window.h"
#include "gui/pictures.h"

namespace velta::gui {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), button_(new QPushButton(this)) {
    setWindowTitle(QString());
    const QPixmap face = PicturePixmap("splash");
    button_->setObjectName("splashButton");
    button_->setIcon(face);
    button_->setIconSize(face.size());
    button_->setFlat(true);
    button_->setCursor(Qt::PointingHandCursor);
    button_->setStyleSheet("QPushButton { border: none; padding: 0; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button_);
    setFixedSize(face.size());
    connect(button_, &QPushButton::clicked, this, &SplashWindow::OpenMainWindow);
}

MainWindow* SplashWindow::mainWindow() const {
    return main_;
}

void SplashWindow::OpenMainWindow() {
    main_ = new MainWindow;
    main_->setAttribute(Qt::WA_DeleteOnClose);
    main_->show();
    // The splash is not needed again, not even by New.
    close();
}

}  // namespace velta::gui
