#include "gui/progress_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "model/progress_window.h"

namespace velta::gui {

ProgressWindow::ProgressWindow(Workspace& ws, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), ws_(ws) {
    setObjectName("frmAvanzamento");
    setWindowTitle(QString());
    auto* v = new QVBoxLayout(this);
    auto* barsRow = new QHBoxLayout;
    for (int i = 1; i <= 4; ++i) {
        bars_[i] = new QProgressBar;
        bars_[i]->setObjectName(QString("ProgressBar%1").arg(i));
        bars_[i]->setOrientation(Qt::Vertical);
        bars_[i]->setRange(0, 100);
        bars_[i]->setValue(0);
        bars_[i]->setTextVisible(false);
        bars_[i]->setMinimumHeight(120);
        barsRow->addWidget(bars_[i]);
    }
    v->addLayout(barsRow);
    const std::pair<const char*, const char*> captions[] = {
        {"Label2", "Generation of the virtual samples"},
        {"Label1", "Means and standard deviations computation"},
        {"Label3", "Creation of the charts"}};
    for (int p = 1; p <= 3; ++p) {
        captions_[p] = new QLabel(captions[p - 1].second);
        captions_[p]->setObjectName(captions[p - 1].first);
        captions_[p]->setEnabled(false);
        v->addWidget(captions_[p]);
    }
    abort_ = new QPushButton("Abort");
    abort_->setObjectName("cmdAbort");
    connect(abort_, &QPushButton::clicked, this, [this] { cmdAbort_Click(ws_); });
    v->addWidget(abort_);

    // The bars follow the counters every 10 ms while events run.
    timer_ = new QTimer(this);
    timer_->setInterval(10);
    connect(timer_, &QTimer::timeout, this, [this] {
        TickProgressWindow(ws_);
        Sync();
    });
    timer_->start();
    Sync();
}

void ProgressWindow::Sync() {
    const ProgressWindowState& s = ws_.frmAvanzamento;
    for (int i = 1; i <= 4; ++i) bars_[i]->setValue(static_cast<int>(std::floor(s.bars[i])));
    const ProgressPhase* phases[] = {nullptr, &s.Label2, &s.Label1, &s.Label3};
    for (int p = 1; p <= 3; ++p) {
        captions_[p]->setEnabled(phases[p]->enabled);
        captions_[p]->setStyleSheet(phases[p]->blue ? "QLabel { color: #0000ff; }" : QString());
    }
}

}  // namespace velta::gui
