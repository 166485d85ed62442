#pragma once
// Shared by the window tests: settings kept apart from the user's, the example
// pilot sample typed into the grid and accepted, modal dialogs answered, and
// screenshots saved when VELTA_SCREENSHOT_DIR is set.
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <string>

#include "commands/pilot_commands.h"
#include "gui/main_window.h"

namespace velta::gui::test {

// The window's remembered geometry and last folder go to a temporary folder.
inline void UseTestSettings() {
    static QTemporaryDir dir;
    QCoreApplication::setOrganizationName("velta-tests");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings().clear();
}

inline void SaveScreenshot(QWidget& w, const QString& name) {
    const QByteArray dir = qgetenv("VELTA_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    // A picture shows the repeats of the automatic size done.
    if (auto* window = qobject_cast<velta::gui::MainWindow*>(&w))
        QTRY_VERIFY_WITH_TIMEOUT(!window->session().repeatsJob, 30000);
    // Layouts follow texts set since the last events (the status line's).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    w.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
}

// Shown and active, so that shortcuts and the keyboard's focus work.
inline void ShowActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <class T = QWidget>
T* Control(MainWindow& w, const char* name) {
    return qobject_cast<T*>(w.control(name));
}

inline QString FieldText(MainWindow& w, const char* name) {
    return Control<QLineEdit>(w, name)->text();
}

// Pixels within `tolerance` of `colour` in every channel (lines are drawn
// antialiased).
inline int CountPixels(const QImage& img, const QColor& colour, int tolerance = 0) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) <= tolerance &&
                 std::abs(c.green() - colour.green()) <= tolerance &&
                 std::abs(c.blue() - colour.blue()) <= tolerance;
        }
    return n;
}

// The example pilot sample (one column with a header line).
inline void LoadExample(MainWindow& w) {
    std::ifstream in(VELTA_SOURCE_DIR "/examples/pilot_sample.csv");
    std::string line;
    std::getline(in, line);
    int row = 0;
    while (std::getline(in, line))
        if (!line.empty()) w.session().units.SetCell(1, ++row, line);
    QVERIFY(velta::AcceptUnits(w.session(), w.platform(), velta::PilotSource()));
    w.Render();
}

// Answers the modal dialogs as they come: a file dialog gets the next file
// name (or is cancelled), a message box is recorded and given its default.
class DialogAnswerer : public QObject {
  public:
    QStringList files;
    QStringList messages;
    explicit DialogAnswerer(int ms = 10) {
        connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
        timer_.start(ms);
    }

  private:
    void Answer() {
        QWidget* w = QApplication::activeModalWidget();
        // A dialog already answered may still be the active one while it
        // closes: answering it again would give its successor's file name
        // or answer to it (a race that showed under load).
        if (!w || !w->isVisible() || w == answered_) return;
        answered_ = w;
        if (auto* d = qobject_cast<QFileDialog*>(w)) {
            if (files.isEmpty()) return d->reject();
            d->selectFile(files.takeFirst());
            static_cast<QDialog*>(d)->accept();
        } else if (auto* m = qobject_cast<QMessageBox*>(w)) {
            messages << m->text();
            m->done(m->defaultButton() ? m->standardButton(m->defaultButton()) : QMessageBox::Ok);
        }
    }
    QTimer timer_;
    QPointer<QWidget> answered_;
};

}  // namespace velta::gui::test
