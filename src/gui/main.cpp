#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "base/version.h"
#include "gui/main_window.h"
#include "gui/splash_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Where the window keeps its size, position and last folder.
    QApplication::setOrganizationName("VELTA");
    QApplication::setApplicationName("VELTA");
    QApplication::setApplicationVersion(velta::kVersion);
#ifdef VELTA_APP_ID
    QGuiApplication::setDesktopFileName(VELTA_APP_ID);
#endif

    QCommandLineParser parser;
    parser.setApplicationDescription("VELTA: sample-size determination from a pilot sample.");
    parser.addHelpOption();
    parser.addPositionalArgument("FILE",
                                 "Spreadsheet (.xls, .xlsx, .ods, .csv) to open at start, as "
                                 "File > Open does.",
                                 "[FILE]");
    parser.process(app);
    const QStringList files = parser.positionalArguments();

    if (files.isEmpty()) {
        velta::gui::SplashWindow splash;
        splash.show();
        return app.exec();
    }
    // A file to open (a file manager's "Open with VELTA"): the person has
    // chosen what to do, so the splash, which waits for a click, is skipped.
    auto* window = new velta::gui::MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    // Once the event loop runs, so that the Open's dialogs sit over the window.
    QTimer::singleShot(0, window, [window, file = files.first()] { window->OpenAtStart(file); });
    return app.exec();
}
