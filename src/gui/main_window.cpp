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
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "commands/pilot_commands.h"
#include "commands/repeats.h"
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

QGroupBox* Frame(const QString& caption, const QString& name) {
    auto* box = new QGroupBox(caption);
    box->setObjectName(name);
    return box;
}

// A caption with a mnemonic for the field after it.
QLabel* Caption(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

// A status-line text that is cut with "..." where the line is too short for
// it, rather than pushing the rest of the line out of the window; the tip
// has it whole.
class ElidedLabel : public QLabel {
  public:
    // As wide as its text where there is room, narrower where there is not.
    ElidedLabel() { setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred); }
    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = contentsRect();
        p.setPen(palette().color(foregroundRole()));
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width()));
    }
};

// A value of 15 significant digits the units grid shows whole without
// scrolling (longer texts widen the column).
constexpr const char* kWidestUnit = "-12345.6789012345";

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), platform_(this) {
    setWindowIcon(Picture("velta"));
    platform_.onRefresh = [this] { Render(); };
    platform_.onHelp = [this] { ShowHelp(); };
    platform_.onShowNow = [this] {
        Render();
        statusBar()->repaint();
    };

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(BuildLeft(), 0);
    // The charts take what the side columns leave; the right column grows a
    // little on wide screens so that long numbers show whole.
    layout->addWidget(BuildCharts(), 3);
    layout->addWidget(BuildRight(), 2);
    setCentralWidget(central);

    BuildMenus();
    BuildToolbar();
    BuildStatusBar();

    // The repeats of the automatic size run on other threads; the window
    // takes their progress and their end from the session.
    repeatsTimer_ = new QTimer(this);
    repeatsTimer_->setInterval(150);
    connect(repeatsTimer_, &QTimer::timeout, this, [this] {
        if (session_.generationRunning) return;
        UpdateRepeats(session_);
        Render();
    });

    // F1 anywhere in the window opens the guide.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { Run(Command::Help); });
    // Escape presses the progress window's Abort while it is shown (and is
    // left to the grid's editor otherwise).
    abortKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    abortKey_->setContext(Qt::WindowShortcut);
    abortKey_->setEnabled(false);
    connect(abortKey_, &QShortcut::activated, this, [this] {
        if (progress_) progress_->abortButton()->click();
    });

    // Compact frames: the window must fit a 1024x768 screen with its panels.
    for (QGroupBox* box : findChildren<QGroupBox*>()) {
        box->layout()->setContentsMargins(6, 2, 6, 4);
        box->layout()->setSpacing(3);
        // The column measured the frame before: it measures it again now,
        // so that the window's least size is the real one when it is placed.
        box->updateGeometry();
    }
    SetTabOrder();
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

QRect MainWindow::FitToScreen(const QRect& remembered, const QRect& available) {
    constexpr int kFrameWidth = 8, kFrameHeight = 36;
    // The room the geometry (without the frame) has on this screen.
    const QRect room = available.adjusted(kFrameWidth / 2, kFrameHeight - kFrameWidth / 2,
                                          -kFrameWidth / 2, -kFrameWidth / 2);
    if (room.contains(remembered)) return remembered;
    QRect g(remembered.topLeft(), remembered.size().boundedTo(room.size()));
    if (g.right() > room.right()) g.moveRight(room.right());
    if (g.bottom() > room.bottom()) g.moveBottom(room.bottom());
    if (g.left() < room.left()) g.moveLeft(room.left());
    if (g.top() < room.top()) g.moveTop(room.top());
    return g;
}

void MainWindow::PlaceOnScreen() {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect available = s ? s->availableGeometry() : QRect(0, 0, 1280, 800);
    if (qt::KeepsSettings() &&
        restoreGeometry(QSettings().value("mainWindow/geometry").toByteArray())) {
        // Remembered on another (larger) screen, or the screen is gone.
        const QScreen* on = screen() ? screen() : s;
        const QRect here = on ? on->availableGeometry() : available;
        if (!isMaximized() && !isFullScreen()) setGeometry(FitToScreen(geometry(), here));
        return;
    }
    setGeometry(DefaultGeometry(available));
}

void MainWindow::SaveGeometry() {
    if (qt::KeepsSettings()) QSettings().setValue("mainWindow/geometry", saveGeometry());
}

MainWindow::~MainWindow() {
    platform_.onRefresh = nullptr;
    platform_.onShowNow = nullptr;
    // The grid views read the session's grids: delete them while they exist.
    delete takeCentralWidget();
    if (about_) about_->deleteLater();
    if (help_) help_->deleteLater();
}

void MainWindow::Register(QWidget* w, const QString& name, const QString& accessibleName) {
    w->setObjectName(name);
    w->setAccessibleName(accessibleName);
    controls_[name] = w;
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
    button->setAccessibleName(QString(caption).remove('&'));
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
    v->setSpacing(4);

    auto* units = new qt::GridView(session_.units, true);
    Register(units, "unitsGrid", "Sampling units");
    units->gridModel()->SetHistory(&session_.unitsHistory);
    connect(units->gridModel(), &qt::GridModel::cellsEdited, this, [this](int first, int) {
        if (first != 1) return;
        UnitsEdited(session_);
        Render();
    });
    units->setMinimumHeight(80);
    grids_.push_back(units);
    v->addWidget(units, 1);

    auto* stats = Frame("Sample statistics", "sampleStatisticsFrame");
    auto* fs = new QFormLayout(stats);
    const std::tuple<const char*, const char*, std::string WindowView::*, const char*> pilot[] = {
        {"mean", "meanField", &WindowView::mean, "Mean of the pre-sample"},
        {"st. dev.", "sdField", &WindowView::sd, "Standard deviation of the pre-sample"},
        {"number", "nField", &WindowView::n, "Number of sampling units"}};
    for (const auto& [caption, name, text, spoken] : pilot) {
        QLineEdit* field = AddField(name, text);
        field->setAccessibleName(spoken);
        fs->addRow(caption, field);
    }
    v->addWidget(stats);

    auto* jack = Frame("Jackknife statistics", "jackknifeFrame");
    auto* fj = new QFormLayout(jack);
    const std::tuple<const char*, const char*, std::string WindowView::*, const char*> jackknife[] =
        {{"st. dev.", "jackknifeSdField", &WindowView::jackknifeSd, "Jackknife standard deviation"},
         {"st. err. m.", "jackknifeSeMeanField", &WindowView::jackknifeSeMean,
          "Standard error of the mean"},
         {"st. err. sd.", "jackknifeSeSdField", &WindowView::jackknifeSeSd,
          "Standard error of the standard deviation"}};
    for (const auto& [caption, name, text, spoken] : jackknife) {
        QLineEdit* field = AddField(name, text);
        field->setAccessibleName(spoken);
        if (QString(caption) != "st. dev.") field->setToolTip(spoken);
        fj->addRow(caption, field);
    }
    v->addWidget(jack);

    auto* virt = Frame("Virtual samples", "virtualSamplesFrame");
    auto* vv = new QVBoxLayout(virt);
    auto* row = new QGridLayout;
    QLineEdit* limit = AddInput("virtualSamplesField", &TypedInputs::virtualSamples);
    limit->setAccessibleName("Recommended number of virtual samples");
    row->addWidget(Caption("Recommended n&umber:", limit), 0, 0);
    row->addWidget(limit, 0, 1);
    // Every generation starts the random draws from here: the same pilot,
    // V and seed give the same clouds, here and on the command line.
    QLineEdit* seed = AddInput("seedField", &TypedInputs::seed);
    seed->setAccessibleName("Seed of the random draws");
    seed->setToolTip("Every generation starts its random draws from this seed");
    row->addWidget(Caption("&Random seed:", seed), 1, 0);
    row->addWidget(seed, 1, 1);
    vv->addLayout(row);
    vv->addWidget(AddLabel("maximumNumberLabel", &WindowView::maximumNumber));
    controls_["maximumNumberLabel"]->setAccessibleName("Maximum number of virtual samples");
    vv->addWidget(AddButton("generateButton", "&Generate the virtual samples", Command::Generate,
                            &WindowView::canGenerate));
    v->addWidget(virt);

    auto* trim = Frame("Trimming", "trimmingFrame");
    auto* tv = new QVBoxLayout(trim);
    auto* trow = new QHBoxLayout;
    trimPercent_ = AddInput("trimPercentField", &TypedInputs::trimPercent);
    trimPercent_->setAccessibleName("P value of the trimming, 0 to 10 percent");
    trow->addWidget(Caption("&P value (0 - 10 %):", trimPercent_));
    trow->addWidget(trimPercent_);
    tv->addLayout(trow);
    tv->addWidget(AddButton("trimButton", "&Trim the generated samples", Command::Trim,
                            &WindowView::canTrim));
    v->addWidget(trim);

    auto* autoFrame = Frame("Automatic sample size determination", "automaticFrame");
    auto* ah = new QHBoxLayout(autoFrame);
    ah->addWidget(
        AddButton("automaticButton", "&Automatic", Command::Automatic, &WindowView::canAutomatic));
    ah->addWidget(AddButton("manualButton", "Ma&nual", Command::Manual, &WindowView::canManual));
    v->addWidget(autoFrame);

    // A fixed width, from the texts it must show: texts arriving in the
    // fields must not shift the charts, and the grid shows a value of 15
    // significant digits whole beside its row numbers.
    const QFontMetrics fm = units->fontMetrics();
    const int gridWidth = units->verticalHeader()->fontMetrics().horizontalAdvance("10000") + 8 +
                          fm.horizontalAdvance(kWidestUnit) + 14 +
                          units->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                          2 * units->frameWidth() + 2;
    w->setFixedWidth(std::max(w->minimumSizeHint().width(), gridWidth));
    return w;
}

QWidget* MainWindow::BuildCharts() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);

    // Each chart with its two average labels in a row above it; the row
    // keeps its height while they are hidden, so the chart never jumps.
    auto addChart = [&](const QString& name, const QString& spoken, const QString& automaticName,
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
        Register(chart, name, spoken);
        chart->setMinimumSize(300, 150);
        chart->chooseFile = [this](const std::string& title, const std::string& filter) {
            return platform_.ChooseSaveFile(title, filter);
        };
        chart->exportBoth = [this] { ExportBothCharts(); };
        charts_.push_back(chart);
        v->addWidget(chart, 1);
    };
    addChart("meansChart", "Means chart", "meansAverageAutomatic",
             &WindowView::meansAverageAutomatic, "meansAverageManual",
             &WindowView::meansAverageManual);

    // Its mnemonic gives the slider the focus; the arrow keys then move it
    // by the sample-size step.
    auto* manual = Frame("Manual sample si&ze determination", "manualFrame");
    auto* mh = new QHBoxLayout(manual);
    slider_ = new MarkedSlider;
    Register(slider_, "slider", "Manual sample size");
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
    mh->addWidget(slider_);
    v->addWidget(manual);

    // The coefficients of variation at the sizes the slider and Automatic
    // choose, right under the slider.
    auto* cv = Frame("Coefficients of variation", "cvFrame");
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
                     std::string WindowView::*, const char*>
        rows[] = {{"Automatic sample size:", "cvAutomaticLower", &WindowView::cvAutomaticLower,
                   "cvAutomaticUpper", &WindowView::cvAutomaticUpper, "automatic"},
                  {"Manual sample size:", "cvManualLower", &WindowView::cvManualLower,
                   "cvManualUpper", &WindowView::cvManualUpper, "manual"}};
    int r = 0;
    for (const auto& [caption, lowerName, lower, upperName, upper, size] : rows) {
        cg->addWidget(new QLabel(caption), r, 0);
        cg->addWidget(AddField(lowerName, lower), r, 1);
        cg->addWidget(cvLabel(), r, 2);
        cg->addWidget(AddField(upperName, upper), r, 3);
        controls_[lowerName]->setMinimumWidth(40);
        controls_[upperName]->setMinimumWidth(40);
        controls_[lowerName]->setAccessibleName(
            QString("Lowest coefficient of variation (%) at the %1 sample size").arg(size));
        controls_[upperName]->setAccessibleName(
            QString("Highest coefficient of variation (%) at the %1 sample size").arg(size));
        ++r;
    }
    v->addWidget(cv);

    addChart("sdsChart", "Standard deviations chart", "sdsAverageAutomatic",
             &WindowView::sdsAverageAutomatic, "sdsAverageManual", &WindowView::sdsAverageManual);
    return w;
}

QWidget* MainWindow::BuildRight() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);

    // Result grids: one line per row, every row in view without scrolling.
    auto fitRows = [](qt::GridView* grid, int rows) {
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 4);
        // Row titles as wide as their words, the rest for the numbers.
        int titles = 0;
        for (int r = 0; r < rows; ++r)
            titles = std::max(titles, grid->verticalHeader()->fontMetrics().horizontalAdvance(
                                          grid->model()->headerData(r, Qt::Vertical).toString()));
        grid->verticalHeader()->setFixedWidth(titles + 12);
        grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setFixedHeight(grid->horizontalHeader()->sizeHint().height() +
                             rows * grid->verticalHeader()->defaultSectionSize() +
                             2 * grid->frameWidth() + 2);
    };

    auto* rep = Frame("Visual jackknife", "visualJackknifeFrame");
    auto* rv = new QVBoxLayout(rep);
    auto* statistics = new qt::GridView(statistics_, false);
    Register(statistics, "statisticsGrid",
             "Visual jackknife: statistics at the manual, automatic and Student-t sizes");
    grids_.push_back(statistics);
    statistics->gridModel()->SetShownLimit(3, 6);
    QStringList rowTitles;
    for (const char* title : kStatisticsRows) rowTitles << title;
    statistics->gridModel()->SetHeaders({"Manual", "Automatic", "Student-t"}, rowTitles);
    fitRows(statistics, 6);
    rv->addWidget(statistics);
    v->addWidget(rep);

    // Two lines: the inputs of the formula, then the standard deviation and
    // the command.
    auto* student = Frame("Student-t sample size determination", "studentTFrame");
    auto* sg = new QGridLayout(student);
    alpha_ = new QComboBox;
    Register(alpha_, "alphaBox", "Alpha");
    for (const char* a : kAlphaChoices) alpha_->addItem(a);
    connect(alpha_, &QComboBox::textActivated, this,
            [this](const QString& t) { session_.inputs.alpha = t.toStdString(); });
    QLineEdit* maxError = AddInput("maxErrorField", &TypedInputs::maxError);
    maxError->setAccessibleName("Maximum accepted error");
    QLineEdit* sd = AddInput("studentSdField", &TypedInputs::studentSd);
    sd->setAccessibleName("Standard deviation for the Student-t size");
    sg->addWidget(Caption("A&lpha:", alpha_), 0, 0);
    sg->addWidget(alpha_, 0, 1);
    sg->addWidget(Caption("Max. accepted &error:", maxError), 0, 2);
    sg->addWidget(maxError, 0, 3);
    sg->addWidget(Caption("Standard &deviation:", sd), 1, 0, 1, 2);
    sg->addWidget(sd, 1, 2);
    sg->addWidget(
        AddButton("studentTButton", "&Student-t", Command::StudentT, &WindowView::canStudentT), 1,
        3);
    sg->setColumnStretch(1, 1);
    sg->setColumnStretch(3, 2);
    v->addWidget(student);

    auto* resultsFrame = Frame("Results", "resultsFrame");
    auto* rf = new QFormLayout(resultsFrame);
    const std::tuple<const char*, const char*, std::string WindowView::*, const char*> sizes[] = {
        {"Visual jackknife (auto):", "automaticSizeField", &WindowView::automaticSize,
         "Automatic sample size (visual jackknife)"},
        {"Visual jackknife (manual):", "manualSizeField", &WindowView::manualSize,
         "Manual sample size (visual jackknife)"},
        {"Student-t based:", "studentTSizeField", &WindowView::studentTSize,
         "Student-t sample size"}};
    for (const auto& [caption, name, text, spoken] : sizes) {
        QLineEdit* field = AddField(name, text);
        field->setAccessibleName(spoken);
        rf->addRow(caption, field);
        if (QString(name) != "automaticSizeField") continue;
        // How much the automatic size moves over repeated generations.
        QLabel* spread = AddLabel("automaticSpreadLabel", &WindowView::automaticSpread);
        spread->setAccessibleName("Automatic size over repeated generations");
        spread->setWordWrap(true);
        // Reached by Tab like the sizes, so that it is heard with them (the
        // flags set a focus policy of their own first).
        spread->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
        spread->setFocusPolicy(Qt::StrongFocus);
        rf->addRow(QString(), spread);
    }
    auto* results = new qt::GridView(results_, false);
    Register(results, "resultsGrid", "Results: fitted lines and sample sizes");
    results->gridModel()->SetShownLimit(3, 12);
    results->gridModel()->SetHeaders({"Item", "Intercept or value", "Slope"}, {});
    fitRows(results, 12);
    // The items are short codes: the numbers get the width.
    results->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grids_.push_back(results);
    rf->addRow(results);
    v->addWidget(resultsFrame);
    v->addStretch(1);

    // Narrow enough for 1024 pixels; wider screens give the numbers room.
    w->setMinimumWidth(std::max(w->minimumSizeHint().width(), 400));
    w->setMaximumWidth(600);
    return w;
}

void MainWindow::SetTabOrder() {
    // The road: the values, the generation, the trimming, the slider,
    // Automatic, Student-t; then the results, from the pilot's to the sizes.
    const char* road[] = {"unitsGrid",
                          "virtualSamplesField",
                          "seedField",
                          "generateButton",
                          "trimPercentField",
                          "trimButton",
                          "slider",
                          "automaticButton",
                          "manualButton",
                          "alphaBox",
                          "maxErrorField",
                          "studentSdField",
                          "studentTButton",
                          "automaticSizeField",
                          "automaticSpreadLabel",
                          "manualSizeField",
                          "studentTSizeField",
                          "cvAutomaticLower",
                          "cvAutomaticUpper",
                          "cvManualLower",
                          "cvManualUpper",
                          "statisticsGrid",
                          "resultsGrid",
                          "meanField",
                          "sdField",
                          "nField",
                          "jackknifeSdField",
                          "jackknifeSeMeanField",
                          "jackknifeSeSdField"};
    for (size_t i = 1; i < std::size(road); ++i)
        setTabOrder(controls_.at(road[i - 1]), controls_.at(road[i]));
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    QAction* open = file->addAction("&Open", this, [this] { Run(Command::Open); });
    open->setObjectName("openAction");
    open->setShortcut(QKeySequence("Ctrl+O"));
    QAction* newAct = file->addAction("&New", this, [this] { Run(Command::New); });
    newAct->setObjectName("newAction");
    newAct->setShortcut(QKeySequence("Ctrl+N"));
    QMenu* save = file->addMenu("&Save");
    save->setObjectName("saveMenu");
    save->addAction("&Pre-sampling results", this, [this] { Run(Command::SaveTypedValues); })
        ->setObjectName("saveTypedValuesAction");
    QMenu* exportChart = file->addMenu("Export &chart...");
    exportChart->setObjectName("exportChartMenu");
    exportChart->addAction("&Means...", this, [this] { charts_[0]->SaveImageAs(QString()); })
        ->setObjectName("exportMeansChartAction");
    exportChart
        ->addAction("&Standard deviations...", this, [this] { charts_[1]->SaveImageAs(QString()); })
        ->setObjectName("exportSdsChartAction");
    exportChart->addAction("&Both charts side by side...", this, [this] { ExportBothCharts(); })
        ->setObjectName("exportBothChartsAction");
    file->addSeparator();
    QAction* exitAct = file->addAction("E&xit", this, [this] { Run(Command::Exit); });
    exitAct->setObjectName("exitAction");
    exitAct->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* exportMenu = menuBar()->addMenu("E&xport");
    exportMenu->addAction("&Configuration and Results", this, [this] { Run(Command::WriteReport); })
        ->setObjectName("writeReportAction");

    QMenu* help = menuBar()->addMenu("&?");
    help->setObjectName("helpMenu");
    // The caption carries "F1" itself; F1 is a window-wide shortcut.
    help->addAction("&Contents...       F1", this, [this] { Run(Command::Help); })
        ->setObjectName("contentsAction");
    help->addAction("&About VELTA", this, [this] { Run(Command::About); })
        ->setObjectName("aboutAction");
}

void MainWindow::BuildToolbar() {
    toolbar_ = addToolBar("Toolbar");
    toolbar_->setObjectName("toolbar");
    toolbar_->setMovable(false);
    toolbar_->setIconSize(QSize(22, 22));
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
    auto add = [this](const QString& caption, QLabel*& value, QLabel* label, const QString& name,
                      const QString& spoken, int width, int stretch) {
        statusBar()->addWidget(new QLabel(caption));
        value = label;
        value->setMinimumWidth(width);
        Register(value, name, spoken);
        statusBar()->addWidget(value, stretch);
    };
    // The pilot in use: its file, sheet and column (the path in the tip).
    add("File name:", fileName_, new ElidedLabel, "fileNamePanel", "Pilot sample in use", 0, 1);
    add("Generation started:", generationStarted_, new QLabel, "generationStartedPanel",
        "Generation started", 60, 0);
    add("Generation completed:", generationCompleted_, new QLabel, "generationCompletedPanel",
        "Generation completed", 60, 0);
    add("Seed:", seedUsed_, new QLabel, "seedPanel", "Seed of the clouds shown", 30, 0);
    // A long step at work, or where the last report went.
    statusMessage_ = new ElidedLabel;
    Register(statusMessage_, "statusMessage", "Status");
    statusBar()->addWidget(statusMessage_, 3);
    // The repeats of the automatic size at work, beside whatever else is said.
    repeatsProgress_ = new QLabel;
    Register(repeatsProgress_, "repeatsProgress", "Repeats of the automatic size");
    statusBar()->addWidget(repeatsProgress_, 0);
    statusNote_ = new ElidedLabel;
    Register(statusNote_, "statusNote", "Note");
    statusNote_->setStyleSheet("QLabel { color: #9a3412; }");
    statusBar()->addWidget(statusNote_, 3);
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

void MainWindow::ExportBothCharts() {
    qt::ChartView::SaveImagesAs({charts_[0], charts_[1]}, QString());
}

void MainWindow::ShowGrids() {
    for (int32_t c = 0; c < 3; ++c)
        for (int32_t r = 0; r < 6; ++r)
            statistics_.SetCell(c + 1, r + 1,
                                view_.statistics[static_cast<size_t>(c)][static_cast<size_t>(r)]);
    for (int32_t r = 0; r < 12; ++r)
        for (int32_t c = 0; c < 3; ++c)
            results_.SetCell(c + 1, r + 1,
                             view_.results[static_cast<size_t>(r)][static_cast<size_t>(c)]);
    for (qt::GridView* g : grids_) g->Sync();
}

void MainWindow::Render() {
    view_ = WindowViewOf(session_);
    const WindowView& v = view_;
    for (auto& [edit, text] : fields_) {
        const QString t = Q(v.*text);
        if (edit->text() != t) edit->setText(t);
        // A number too long for its field is read whole in the tip.
        edit->setToolTip(edit->fontMetrics().horizontalAdvance(t) > edit->contentsRect().width() - 8
                             ? t
                             : QString());
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
    // A screen reader hears what each chart shows.
    for (qt::ChartView* c : charts_) {
        QStringList said;
        for (const LegendEntry& e : c->Picture().legend) said << Q(e.text);
        c->setAccessibleDescription(said.join("; "));
    }

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
    abortKey_->setEnabled(progress_ != nullptr);

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

    fileName_->setText(Q(v.pilotSource));
    fileName_->setToolTip(Q(v.fileName));
    generationStarted_->setText(Q(v.generationStarted));
    generationCompleted_->setText(Q(v.generationCompleted));
    seedUsed_->setText(Q(v.seedUsed));
    repeatsProgress_->setText(Q(v.repeatsProgress));
    repeatsProgress_->setVisible(!v.repeatsProgress.empty());
    statusMessage_->setText(Q(v.statusMessage));
    statusMessage_->setToolTip(Q(v.statusMessage));
    statusMessage_->setVisible(!v.statusMessage.empty());
    statusNote_->setText(Q(v.note));
    statusNote_->setToolTip(Q(v.note));
    statusNote_->setVisible(!v.note.empty());
    setWindowTitle(Q(v.caption));

    // Repeats of the automatic size at work: looked at until they are done.
    if (session_.repeatsJob && !repeatsTimer_->isActive())
        repeatsTimer_->start();
    else if (!session_.repeatsJob)
        repeatsTimer_->stop();

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
    // The close box is Exit: typed units unsaved are asked about first.
    if (!session_.exitRequested) {
        RunCommand(session_, platform_, Command::Exit);
        closeAfterGeneration_ = false;
        if (!session_.exitRequested) {
            Render();
            e->ignore();
            return;
        }
    }
    SaveGeometry();
    if (about_) about_->close();
    if (help_) help_->close();
    e->accept();
}

}  // namespace velta::gui
