#include "gui/splash_window.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "gui/main_window.h"
#include "gui/pictures.h"

namespace velta::gui {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), command1_(new QPushButton(this)) {
    setWindowTitle(QString());
    const QPixmap face = PicturePixmap("splash");
    command1_->setObjectName("Command1");
    command1_->setIcon(face);
    command1_->setIconSize(face.size());
    command1_->setFlat(true);
    command1_->setCursor(Qt::PointingHandCursor);
    command1_->setStyleSheet("QPushButton { border: none; padding: 0; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(command1_);
    setFixedSize(face.size());
    connect(command1_, &QPushButton::clicked, this, &SplashWindow::Command1_Click);
}

MainWindow* SplashWindow::mainWindow() const {
    return main_;
}

void SplashWindow::Command1_Click() {
    main_ = new MainWindow;
    main_->setAttribute(Qt::WA_DeleteOnClose);
    main_->show();
    // The splash is not needed again, not even by New.
    close();
}

}  // namespace velta::gui
