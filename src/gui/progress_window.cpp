#include "gui/progress_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "commands/generate.h"

namespace velta::gui {

ProgressWindow::ProgressWindow(Session& s, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), session_(s) {
    setObjectName("progressWindow");
    // The keyboard stays in the main window, where Escape presses Abort.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QString());
    auto* v = new QVBoxLayout(this);
    auto* barsRow = new QHBoxLayout;
    for (int i = 1; i <= 4; ++i) {
        bars_[i] = new QProgressBar;
        bars_[i]->setObjectName(QString("progressBar%1").arg(i));
        bars_[i]->setOrientation(Qt::Vertical);
        bars_[i]->setRange(0, 100);
        bars_[i]->setValue(0);
        bars_[i]->setTextVisible(false);
        bars_[i]->setMinimumHeight(120);
        barsRow->addWidget(bars_[i]);
    }
    v->addLayout(barsRow);
    const std::pair<const char*, const char*> captions[] = {
        {"drawingPhase", "Generation of the virtual samples"},
        {"statisticsPhase", "Means and standard deviations computation"},
        {"chartsPhase", "Creation of the charts"}};
    for (int p = 1; p <= 3; ++p) {
        captions_[p] = new QLabel(captions[p - 1].second);
        captions_[p]->setObjectName(captions[p - 1].first);
        captions_[p]->setEnabled(false);
        v->addWidget(captions_[p]);
    }
    abort_ = new QPushButton("Abort");
    abort_->setObjectName("abortButton");
    connect(abort_, &QPushButton::clicked, this, [this] { session_.abortRequested = true; });
    v->addWidget(abort_);

    // The bars follow the counters every 10 ms while events run.
    timer_ = new QTimer(this);
    timer_->setInterval(10);
    connect(timer_, &QTimer::timeout, this, [this] {
        UpdateProgressBars(session_.progress);
        Sync();
    });
    timer_->start();
    Sync();
}

void ProgressWindow::Sync() {
    const GenerationProgress& s = session_.progress;
    for (int i = 1; i <= 4; ++i)
        bars_[i]->setValue(static_cast<int>(std::floor(s.bars[static_cast<size_t>(i - 1)])));
    for (int p = 1; p <= 3; ++p) {
        const GenerationProgress::Phase& phase = s.phases[static_cast<size_t>(p - 1)];
        captions_[p]->setEnabled(phase.reached);
        captions_[p]->setStyleSheet(phase.active ? "QLabel { color: #0000ff; }" : QString());
    }
}

}  // namespace velta::gui
