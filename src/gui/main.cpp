#include <QApplication>

#include "gui/splash_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Where the window keeps its size, position and last folder.
    QApplication::setOrganizationName("VELTA");
    QApplication::setApplicationName("VELTA");
    QApplication::setApplicationVersion("1.01");
    velta::gui::SplashWindow splash;
    splash.show();
    return app.exec();
}
