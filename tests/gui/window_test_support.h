#pragma once
// Shared by the window tests: the example pilot sample typed into the grid
// and accepted, and screenshots saved when VELTA_SCREENSHOT_DIR is set.
#include <QTest>
#include <QWidget>
#include <fstream>
#include <string>

#include "data/presample.h"
#include "gui/main_window.h"

namespace velta::gui::test {

inline void SaveScreenshot(QWidget& w, const QString& name) {
    const QByteArray dir = qgetenv("VELTA_SCREENSHOT_DIR");
    if (!dir.isEmpty()) w.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
}

// The example pilot sample (one column with a header line).
inline void LoadExample(MainWindow& w) {
    std::ifstream in(VELTA_SOURCE_DIR "/examples/pilot_sample.csv");
    std::string line;
    std::getline(in, line);
    int row = 0;
    while (std::getline(in, line))
        if (!line.empty()) w.workspace().sprMain.SetCell(1, ++row, line);
    QVERIFY(velta::ComputePreSampleStats(w.workspace(), w.platform()));
}

}  // namespace velta::gui::test
