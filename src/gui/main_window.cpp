#include "gui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "commands/pilot_commands.h"
#include "gui/about_window.h"
#include "gui/help_window.h"
#include "gui/marked_slider.h"
#include "gui/pictures.h"
#include "gui/progress_window.h"
#include "platform/qt/chart_view.h"
#include "platform/qt/grid_view.h"

namespace velta::gui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QGroupBox* Frame(const QString& caption) {
    return new QGroupBox(caption);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), platform_(this) {
    setWindowIcon(Picture("velta"));
    platform_.onRefresh = [this] { Render(); };
    platform_.onHelp = [this] { ShowHelp(); };

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(BuildLeft(), 0);
    layout->addWidget(BuildCharts(), 1);
    layout->addWidget(BuildRight(), 0);
    setCentralWidget(central);

    BuildMenus();
    BuildToolbar();
    BuildStatusBar();

    // F1 anywhere in the window opens the guide.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { Run(Command::Help); });

    // Compact frames: the window must fit a 1280x800 screen with its panels.
    for (QGroupBox* box : findChildren<QGroupBox*>()) {
        box->layout()->setContentsMargins(8, 4, 8, 6);
        box->layout()->setSpacing(4);
    }
    PlaceOnScreen();
    Render();
}

QRect MainWindow::DefaultGeometry(const QRect& available) {
    // Title bar and borders of a usual window manager, outside the geometry:
    // half the width on each side, the height less half the width on top.
    constexpr int kFrameWidth = 8, kFrameHeight = 36;
    // 1280x820, or nine tenths of a larger screen.
    const QSize preferred(std::max(1280, available.width() * 9 / 10),
                          std::max(820, available.height() * 9 / 10));
    const int w = std::min(preferred.width(), available.width() - kFrameWidth);
    const int h = std::min(preferred.height(), available.height() - kFrameHeight);
    const int x = available.left() + (available.width() - w) / 2;
    const int y = available.top() + kFrameHeight - kFrameWidth / 2 +
                  (available.height() - kFrameHeight - h) / 2;
    return QRect(x, y, w, h);
}

void MainWindow::PlaceOnScreen() {
    if (qt::KeepsSettings() &&
        restoreGeometry(QSettings().value("mainWindow/geometry").toByteArray()))
        return;
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect available = s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
    setGeometry(DefaultGeometry(available));
}

void MainWindow::SaveGeometry() {
    if (qt::KeepsSettings()) QSettings().setValue("mainWindow/geometry", saveGeometry());
}

MainWindow::~MainWindow() {
    platform_.onRefresh = nullptr;
    // The grid views read the session's grids: delete them while they exist.
    delete takeCentralWidget();
    if (about_) about_->deleteLater();
    if (help_) help_->deleteLater();
}

QLineEdit* MainWindow::AddField(const QString& name, std::string WindowView::*text) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    fields_.emplace_back(edit, text);
    controls_[name] = edit;
    return edit;
}

QLineEdit* MainWindow::AddInput(const QString& name, std::string TypedInputs::*input) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight);
    connect(edit, &QLineEdit::textEdited, this,
            [this, input](const QString& t) { session_.inputs.*input = t.toStdString(); });
    inputs_.emplace_back(edit, input);
    controls_[name] = edit;
    return edit;
}

QPushButton* MainWindow::AddButton(const QString& name, const QString& caption, Command c,
                                   bool WindowView::*enabled) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, [this, c] { Run(c); });
    buttons_.emplace_back(button, enabled);
    controls_[name] = button;
    return button;
}

QLabel* MainWindow::AddLabel(const QString& name, std::string WindowView::*text) {
    auto* label = new QLabel;
    label->setObjectName(name);
    labels_.emplace_back(label, text);
    controls_[name] = label;
    return label;
}

QWidget* MainWindow::BuildLeft() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);

    auto* units = new qt::GridView(session_.units, true);
    units->setObjectName("unitsGrid");
    connect(units->gridModel(), &qt::GridModel::cellsEdited, this, [this](int first, int) {
        if (first != 1) return;
        UnitsEdited(session_);
        Render();
    });
    units->setMinimumHeight(90);
    grids_.push_back(units);
    controls_["unitsGrid"] = units;
    v->addWidget(units, 1);

    auto* stats = Frame("Sample statistics");
    auto* fs = new QFormLayout(stats);
    fs->addRow("mean", AddField("meanField", &WindowView::mean));
    fs->addRow("st. dev.", AddField("sdField", &WindowView::sd));
    fs->addRow("number", AddField("nField", &WindowView::n));
    v->addWidget(stats);

    auto* jack = Frame("Jackknife statistics");
    auto* fj = new QFormLayout(jack);
    fj->addRow("st. dev.", AddField("jackknifeSdField", &WindowView::jackknifeSd));
    QLineEdit* se = AddField("jackknifeSeMeanField", &WindowView::jackknifeSeMean);
    se->setToolTip("Standard error of the mean");
    fj->addRow("st. err. m.", se);
    QLineEdit* sesd = AddField("jackknifeSeSdField", &WindowView::jackknifeSeSd);
    sesd->setToolTip("Standard error of the standard deviation");
    fj->addRow("st. err. sd.", sesd);
    v->addWidget(jack);

    auto* virt = Frame("Virtual samples");
    auto* vv = new QVBoxLayout(virt);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Recommended number:"));
    row->addWidget(AddInput("virtualSamplesField", &TypedInputs::virtualSamples));
    vv->addLayout(row);
    vv->addWidget(AddLabel("maximumNumberLabel", &WindowView::maximumNumber));
    vv->addWidget(AddButton("generateButton", "Generate the virtual samples", Command::Generate,
                            &WindowView::canGenerate));
    v->addWidget(virt);

    auto* trim = Frame("Trimming");
    auto* tv = new QVBoxLayout(trim);
    auto* trow = new QHBoxLayout;
    trow->addWidget(new QLabel("P value (0 - 10 %):"));
    trimPercent_ = AddInput("trimPercentField", &TypedInputs::trimPercent);
    trow->addWidget(trimPercent_);
    tv->addLayout(trow);
    tv->addWidget(AddButton("trimButton", "Trim the generated samples", Command::Trim,
                            &WindowView::canTrim));
    v->addWidget(trim);

    auto* autoFrame = Frame("Automatic sample size determination");
    auto* ah = new QHBoxLayout(autoFrame);
    ah->addWidget(
        AddButton("automaticButton", "Automatic", Command::Automatic, &WindowView::canAutomatic));
    ah->addWidget(AddButton("manualButton", "Manual", Command::Manual, &WindowView::canManual));
    v->addWidget(autoFrame);

    // Fixed column widths: texts arriving in the fields must not shift the
    // charts in the middle.
    w->setFixedWidth(256);
    return w;
}

QWidget* MainWindow::BuildCharts() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);

    // Each chart with its two average labels in a row above it; the row
    // keeps its height while they are hidden, so the chart never jumps.
    auto addChart = [&](const QString& name, const QString& automaticName,
                        std::string WindowView::*automatic, const QString& manualName,
                        std::string WindowView::*manual) {
        auto* averages = new QWidget;
        auto* row = new QHBoxLayout(averages);
        row->setContentsMargins(6, 0, 6, 0);
        row->addWidget(AddLabel(automaticName, automatic));
        row->addStretch();
        row->addWidget(AddLabel(manualName, manual));
        row->addStretch();
        averages->setFixedHeight(averages->fontMetrics().height() + 2);
        v->addWidget(averages);
        auto* chart = new qt::ChartView;
        chart->setObjectName(name);
        chart->setMinimumSize(360, 190);
        chart->chooseFile = [this](const std::string& title, const std::string& filter) {
            return platform_.ChooseSaveFile(title, filter);
        };
        charts_.push_back(chart);
        controls_[name] = chart;
        v->addWidget(chart, 1);
    };
    addChart("meansChart", "meansAverageAutomatic", &WindowView::meansAverageAutomatic,
             "meansAverageManual", &WindowView::meansAverageManual);

    auto* manual = Frame("Manual sample size determination");
    auto* mh = new QHBoxLayout(manual);
    slider_ = new MarkedSlider;
    slider_->setObjectName("slider");
    // A drag moves the manual size as it goes; before a trimming the slider
    // only answers, once, when it is let go.
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        if (slider_->isSliderDown() && !view_.trimmed) return;
        MoveSlider(session_, platform_, value);
        Render();
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] {
        if (view_.trimmed || slider_->value() == view_.slider.position) return;
        MoveSlider(session_, platform_, slider_->value());
        Render();
    });
    slider_->setTickPosition(QSlider::TicksBelow);
    controls_["slider"] = slider_;
    mh->addWidget(slider_);
    v->addWidget(manual);

    addChart("sdsChart", "sdsAverageAutomatic", &WindowView::sdsAverageAutomatic,
             "sdsAverageManual", &WindowView::sdsAverageManual);
    return w;
}

QWidget* MainWindow::BuildRight() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);

    auto* rep = Frame("Visual jackknife");
    auto* rv = new QVBoxLayout(rep);
    auto* statistics = new qt::GridView(statistics_, false);
    statistics->setObjectName("statisticsGrid");
    grids_.push_back(statistics);
    controls_["statisticsGrid"] = statistics;
    statistics->gridModel()->SetShownLimit(3, 6);
    QStringList rowTitles;
    for (const char* title : kStatisticsRows) rowTitles << title;
    statistics->gridModel()->SetHeaders({"Manual", "Automatic", "Student-t"}, rowTitles);
    // The three columns share the width; the six rows show without scrolling.
    statistics->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    statistics->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statistics->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    statistics->setFixedHeight(statistics->horizontalHeader()->sizeHint().height() +
                               6 * statistics->verticalHeader()->defaultSectionSize() +
                               2 * statistics->frameWidth() + 2);
    rv->addWidget(statistics);
    v->addWidget(rep);

    auto* cv = Frame("Coefficients of variation");
    auto* cg = new QGridLayout(cv);
    // The caption's trailing blanks may be cut off in a narrow column.
    auto cvLabel = [] {
        auto* l = new QLabel("<  CV (%)  <              ");
        l->setFixedWidth(l->fontMetrics().horizontalAdvance("<  CV (%)  <") + 8);
        return l;
    };
    cg->setColumnStretch(1, 1);
    cg->setColumnStretch(3, 1);
    const std::tuple<const char*, const char*, std::string WindowView::*, const char*,
                     std::string WindowView::*>
        rows[] = {{"Automatic sample size:", "cvAutomaticLower", &WindowView::cvAutomaticLower,
                   "cvAutomaticUpper", &WindowView::cvAutomaticUpper},
                  {"Manual sample size:", "cvManualLower", &WindowView::cvManualLower,
                   "cvManualUpper", &WindowView::cvManualUpper}};
    int r = 0;
    for (const auto& [caption, lowerName, lower, upperName, upper] : rows) {
        cg->addWidget(new QLabel(caption), r, 0);
        cg->addWidget(AddField(lowerName, lower), r, 1);
        cg->addWidget(cvLabel(), r, 2);
        cg->addWidget(AddField(upperName, upper), r, 3);
        controls_[lowerName]->setMinimumWidth(56);
        controls_[upperName]->setMinimumWidth(56);
        ++r;
    }
    v->addWidget(cv);

    auto* student = Frame("Student-t sample size determination");
    auto* sf = new QFormLayout(student);
    alpha_ = new QComboBox;
    alpha_->setObjectName("alphaBox");
    for (const char* a : kAlphaChoices) alpha_->addItem(a);
    controls_["alphaBox"] = alpha_;
    connect(alpha_, &QComboBox::textActivated, this,
            [this](const QString& t) { session_.inputs.alpha = t.toStdString(); });
    sf->addRow("Alpha:", alpha_);
    sf->addRow("Max. accepted error:", AddInput("maxErrorField", &TypedInputs::maxError));
    sf->addRow("Standard deviation:", AddInput("studentSdField", &TypedInputs::studentSd));
    sf->addRow(
        AddButton("studentTButton", "Student-t", Command::StudentT, &WindowView::canStudentT));
    v->addWidget(student);

    auto* resultsFrame = Frame("Results");
    auto* rf = new QFormLayout(resultsFrame);
    rf->addRow("Visual jackknife (auto):",
               AddField("automaticSizeField", &WindowView::automaticSize));
    rf->addRow("Visual jackknife (manual):", AddField("manualSizeField", &WindowView::manualSize));
    rf->addRow("Student-t based:", AddField("studentTSizeField", &WindowView::studentTSize));
    auto* results = new qt::GridView(results_, false);
    results->setObjectName("resultsGrid");
    results->gridModel()->SetShownLimit(3, 12);
    results->gridModel()->SetHeaders({"Item", "Intercept or value", "Slope"}, {});
    results->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    results->setMinimumHeight(50);
    grids_.push_back(results);
    controls_["resultsGrid"] = results;
    rf->addRow(results);
    v->addWidget(resultsFrame, 1);

    w->setFixedWidth(450);
    return w;
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu("File");
    QAction* open = file->addAction("Open", this, [this] { Run(Command::Open); });
    open->setObjectName("openAction");
    open->setShortcut(QKeySequence("Ctrl+O"));
    QAction* newAct = file->addAction("New", this, [this] { Run(Command::New); });
    newAct->setObjectName("newAction");
    newAct->setShortcut(QKeySequence("Ctrl+N"));
    QMenu* save = file->addMenu("Save");
    save->setObjectName("saveMenu");
    save->addAction("Pre-sampling results", this, [this] { Run(Command::SaveTypedValues); })
        ->setObjectName("saveTypedValuesAction");
    QMenu* exportChart = file->addMenu("Export chart...");
    exportChart->setObjectName("exportChartMenu");
    exportChart->addAction("Means...", this, [this] { charts_[0]->SaveImageAs(QString()); })
        ->setObjectName("exportMeansChartAction");
    exportChart
        ->addAction("Standard deviations...", this, [this] { charts_[1]->SaveImageAs(QString()); })
        ->setObjectName("exportSdsChartAction");
    file->addSeparator();
    QAction* exitAct = file->addAction("Exit", this, [this] { Run(Command::Exit); });
    exitAct->setObjectName("exitAction");
    exitAct->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* exportMenu = menuBar()->addMenu("Export");
    exportMenu
        ->addAction("Configuration and Results", this, [this] { Run(Command::WriteReport); })
        ->setObjectName("writeReportAction");

    QMenu* help = menuBar()->addMenu("?");
    help->setObjectName("helpMenu");
    // The caption carries "F1" itself; F1 is a window-wide shortcut.
    help->addAction("Contents...       F1", this, [this] { Run(Command::Help); })
        ->setObjectName("contentsAction");
    help->addAction("About VELTA", this, [this] { Run(Command::About); })
        ->setObjectName("aboutAction");
}

void MainWindow::BuildToolbar() {
    toolbar_ = addToolBar("Toolbar");
    toolbar_->setObjectName("toolbar");
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(24, 24));
    const std::pair<const char*, const char*> buttons[] = {{"Open", "Open"},
                                                           {"Save", "Save pre-sampling results"},
                                                           {"New", "New"},
                                                           {"Export", "Configuration and Results"},
                                                           {"Help", "Help"}};
    for (const auto& [key, hint] : buttons) {
        const QString k = key;
        QAction* a = toolbar_->addAction(Picture(k.toLower()), hint);
        a->setData(k);
        a->setObjectName("toolbar" + k);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, [this, k] { RunToolbar(k); });
    }
}

void MainWindow::BuildStatusBar() {
    auto add = [this](const QString& caption, QLabel*& value, const QString& name, int width) {
        statusBar()->addWidget(new QLabel(caption));
        value = new QLabel;
        value->setObjectName(name);
        value->setMinimumWidth(width);
        controls_[name] = value;
        statusBar()->addWidget(value, name == "fileNamePanel" ? 1 : 0);
    };
    add("File name:", fileName_, "fileNamePanel", 260);
    add("Generation started:", generationStarted_, "generationStartedPanel", 80);
    add("Generation completed:", generationCompleted_, "generationCompletedPanel", 80);
    statusNote_ = new QLabel;
    statusNote_->setObjectName("statusNote");
    statusNote_->setStyleSheet("QLabel { color: #9a3412; }");
    statusBar()->addPermanentWidget(statusNote_);
}

bool MainWindow::Run(Command c) {
    const bool ran = RunCommand(session_, platform_, c);
    Render();
    if (session_.exitRequested || (closeAfterGeneration_ && !session_.generationRunning)) close();
    return ran;
}

bool MainWindow::OpenAtStart(const QString& path) {
    if (path.isEmpty()) return false;
    platform_.PreAnswerOpenDialog(QFileInfo(path).absoluteFilePath().toStdString());
    const bool ran = Run(Command::Open);
    platform_.PreAnswerOpenDialog(std::nullopt);  // still there when Open was refused
    return ran;
}

bool MainWindow::RunToolbar(const QString& key) {
    const bool ran = RunToolbarKey(session_, platform_, key.toStdString());
    Render();
    return ran;
}

void MainWindow::ShowGrids() {
    for (int32_t c = 0; c < 3; ++c)
        for (int32_t r = 0; r < 6; ++r)
            statistics_.SetCell(c + 1, r + 1, view_.statistics[static_cast<size_t>(c)][static_cast<size_t>(r)]);
    for (int32_t r = 0; r < 12; ++r)
        for (int32_t c = 0; c < 3; ++c)
            results_.SetCell(c + 1, r + 1, view_.results[static_cast<size_t>(r)][static_cast<size_t>(c)]);
    for (qt::GridView* g : grids_) g->Sync();
}

void MainWindow::Render() {
    view_ = WindowViewOf(session_);
    const WindowView& v = view_;
    for (auto& [edit, text] : fields_) {
        const QString t = Q(v.*text);
        if (edit->text() != t) edit->setText(t);
    }
    for (auto& [edit, input] : inputs_) {
        const QString t = Q(v.inputs.*input);
        if (edit->text() != t) edit->setText(t);
    }
    for (auto& [button, enabled] : buttons_) button->setEnabled(v.*enabled);
    for (auto& [label, text] : labels_) {
        label->setText(Q(v.*text));
        label->setVisible(!(v.*text).empty());
    }
    ShowGrids();
    charts_[0]->Show(v.meansChart);
    charts_[1]->Show(v.sdsChart);

    // The progress window lives exactly as long as the generation shows it.
    if (v.progress.shown) {
        if (!progress_) {
            progress_ = new ProgressWindow(session_, this);
            // Over the middle of the main window, not at the screen's edge.
            progress_->adjustSize();
            QRect r = progress_->frameGeometry();
            r.moveCenter(frameGeometry().center());
            progress_->move(r.topLeft());
        }
        progress_->Sync();
        if (!progress_->isVisible()) progress_->show();
    } else if (progress_) {
        progress_->close();
        progress_->deleteLater();
        progress_ = nullptr;
    }

    alpha_->setCurrentText(Q(v.inputs.alpha));

    slider_->blockSignals(true);
    slider_->setRange(v.slider.minimum, v.slider.maximum);
    slider_->setSingleStep(v.slider.step);
    slider_->setPageStep(v.slider.step);
    slider_->setTickInterval(v.slider.step);
    slider_->setValue(v.slider.position);
    slider_->setEnabled(v.slider.enabled);
    slider_->SetMark(v.slider.mark);
    slider_->blockSignals(false);

    // The trimmed state shows as a tinted P value field.
    trimPercent_->setStyleSheet(v.trimmed ? "QLineEdit { background: #fff3c4; }" : QString());

    fileName_->setText(Q(v.fileName));
    generationStarted_->setText(Q(v.generationStarted));
    generationCompleted_->setText(Q(v.generationCompleted));
    statusNote_->setText(Q(v.note));
    statusNote_->setVisible(!v.note.empty());
    setWindowTitle(Q(v.caption));

    // The request is consumed here, so a fresh session (New, Open) never
    // brings the window back by itself.
    if (session_.aboutRequests > 0) {
        session_.aboutRequests = 0;
        ShowAbout();
    }
}

QWidget* MainWindow::control(const QString& name) const {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

void MainWindow::ShowHelp() {
    if (!help_) help_ = new HelpWindow;
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void MainWindow::ShowAbout() {
    if (!about_) about_ = new AboutWindow;
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // A running generation is aborted first; the window closes once the
    // generation has unwound.
    if (session_.generationRunning) {
        session_.abortRequested = true;
        closeAfterGeneration_ = true;
        e->ignore();
        return;
    }
    SaveGeometry();
    if (about_) about_->close();
    if (help_) help_->close();
    e->accept();
}

}  // namespace velta::gui
