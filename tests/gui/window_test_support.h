#pragma once
// Shared by the window tests.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "commands/pilot_commands.h"
#include "gui/main_window.h"
#include "platform/scripted/scripted_platform.h"

namespace velta::gui::test {

// The window's remembered geometry and last folder go to a temporary folder.
inline void UseTestSettings() {
    static QTemporaryDir dir;
    QCoreApplication::setOrganizationName("velta-tests");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings().clear();
}

inline void SaveScreenshot(MainWindow& w, const QString& name) {
    const QByteArray dir = qgetenv("VELTA_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    // A picture shows the repeats of the automatic size done.
    QTRY_VERIFY_WITH_TIMEOUT(!w.session().repeatsJob, 30000);
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

// A file of the source tree copied into the tests' own folder, to be a dialog's
// answer: a save dialog taking it by mistake leaves the original alone.
inline std::string Copied(const QString& source) {
    static QTemporaryDir dir;
    const QString copy = dir.filePath(QFileInfo(source).fileName());
    if (!QFile::exists(copy)) QFile::copy(source, copy);
    return copy.toStdString();
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
            n += std::max({std::abs(c.red() - colour.red()), std::abs(c.green() - colour.green()),
                           std::abs(c.blue() - colour.blue())}) <= tolerance;
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

// The window's dialogs answered synchronously for as long as this lives: a
// ScriptedPlatform's queues, else the first button, an empty input, a
// cancelled file dialog. Never a timer racing a real dialog.
class ScriptedDialogs : public velta::ScriptedPlatform {
  public:
    explicit ScriptedDialogs(MainWindow& w) : window_(w) { w.qtPlatform().AnswerDialogsWith(this); }
    ~ScriptedDialogs() override { window_.qtPlatform().AnswerDialogsWith(nullptr); }
    QStringList Texts() const {
        QStringList texts;
        for (const Message& m : messages) texts << QString::fromStdString(m.text);
        return texts;
    }

  private:
    MainWindow& window_;
};

}  // namespace velta::gui::test
