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
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "data/presample.h"
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
    auto* box = new QGroupBox(caption);
    return box;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), platform_(this) {
    Form_Load(ws_);
    setWindowTitle(Q(ws_.caption));
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
    connect(f1, &QShortcut::activated, this, [this] { Run(Command::Contents); });

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
    // The views read the workspace, which goes before QWidget deletes its
    // children: delete them while it still exists.
    platform_.onRefresh = nullptr;
    delete takeCentralWidget();
    if (about_) about_->deleteLater();
    if (help_) help_->deleteLater();
}

QLineEdit* MainWindow::AddField(Field& field, const QString& name, bool editable) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(!editable);
    edit->setAlignment(Qt::AlignRight);
    if (editable)
        connect(edit, &QLineEdit::textEdited, this,
                [&field](const QString& t) { field.text = t.toStdString(); });
    fields_.emplace_back(edit, &field);
    controls_[name] = edit;
    return edit;
}

QPushButton* MainWindow::AddButton(Field& field, const QString& name, const QString& caption,
                                   Command c) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, [this, c] { Run(c); });
    buttons_.emplace_back(button, &field);
    controls_[name] = button;
    return button;
}

QWidget* MainWindow::BuildLeft() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);

    auto* units = new qt::GridView(ws_.sprMain, true);
    units->setObjectName("sprMain");
    connect(units->gridModel(), &qt::GridModel::cellsEdited, this, [this](int first, int) {
        if (first != 1) return;
        UnitsEdited(ws_);
        Render();
    });
    units->setMinimumHeight(90);
    grids_.push_back(units);
    controls_["sprMain"] = units;
    v->addWidget(units, 1);

    auto* stats = Frame("Sample statistics");
    auto* fs = new QFormLayout(stats);
    fs->addRow("mean", AddField(ws_.txtSampleMean, "txtSampleMean", false));
    fs->addRow("st. dev.", AddField(ws_.txtSampleStDev, "txtSampleStDev", false));
    fs->addRow("number", AddField(ws_.txtSampleN, "txtSampleN", false));
    v->addWidget(stats);

    auto* jack = Frame("Jackknife statistics");
    auto* fj = new QFormLayout(jack);
    fj->addRow("st. dev.", AddField(ws_.txtOrvoStDev, "txtOrvoStDev", false));
    QLineEdit* se = AddField(ws_.txtOrvoStErr, "txtOrvoStErr", false);
    se->setToolTip("Standard error of the mean");
    fj->addRow("st. err. m.", se);
    QLineEdit* sesd = AddField(ws_.txtOrvoStErrSD, "txtOrvoStErrSD", false);
    sesd->setToolTip("Standard error of the standard deviation");
    fj->addRow("st. err. sd.", sesd);
    v->addWidget(jack);

    auto* virt = Frame("Virtual samples");
    auto* vv = new QVBoxLayout(virt);
    auto* row = new QHBoxLayout;
    auto* label1 = new QLabel("Recommended number:");
    label1->setObjectName("Label1");
    row->addWidget(label1);
    row->addWidget(AddField(ws_.txtLimite, "txtLimite", true));
    vv->addLayout(row);
    auto* label17 = new QLabel;
    label17->setObjectName("Label17");
    labels_.emplace_back(label17, &ws_.Label17);
    controls_["Label17"] = label17;
    vv->addWidget(label17);
    vv->addWidget(
        AddButton(ws_.cmdEsegui, "cmdEsegui", "Generate the virtual samples", Command::Generate));
    v->addWidget(virt);

    auto* trim = Frame("Trimming");
    auto* tv = new QVBoxLayout(trim);
    auto* trow = new QHBoxLayout;
    trow->addWidget(new QLabel("P value (0 - 10 %):"));
    txtPerc_ = AddField(ws_.txtPerc, "txtPerc", true);
    trow->addWidget(txtPerc_);
    tv->addLayout(trow);
    tv->addWidget(
        AddButton(ws_.cmdFilter, "cmdFilter", "Trim the generated samples", Command::Trim));
    v->addWidget(trim);

    auto* autoFrame = Frame("Automatic sample size determination");
    auto* ah = new QHBoxLayout(autoFrame);
    ah->addWidget(
        AddButton(ws_.cmdAutoSampleSize, "cmdAutoSampleSize", "Automatic", Command::Automatic));
    ah->addWidget(AddButton(ws_.Command1, "Command1", "Manual", Command::Manual));
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
    auto addChart = [&](ChartModel& model, const QString& name, Field& automatic, Field& manual,
                        const QString& autoName, const QString& manualName) {
        auto* averages = new QWidget;
        auto* row = new QHBoxLayout(averages);
        row->setContentsMargins(6, 0, 6, 0);
        for (auto [field, fname] :
             {std::pair{&automatic, autoName}, std::pair{&manual, manualName}}) {
            auto* l = new QLabel;
            l->setObjectName(fname);
            labels_.emplace_back(l, field);
            controls_[fname] = l;
            row->addWidget(l);
            row->addStretch();
        }
        averages->setFixedHeight(averages->fontMetrics().height() + 2);
        v->addWidget(averages);
        auto* chart = new qt::ChartView(model);
        chart->setObjectName(name);
        chart->setMinimumSize(360, 190);
        chart->chooseFile = [this](const std::string& title, const std::string& filter) {
            return platform_.ChooseSaveFile(title, filter);
        };
        charts_.push_back(chart);
        controls_[name] = chart;
        v->addWidget(chart, 1);
    };
    // Each chart shows its own averages: of the means (Label29 automatic,
    // Label31 manual) and of the standard deviations (Label30, Label28).
    addChart(ws_.VtChart1, "VtChart1", ws_.Label29, ws_.Label31, "Label29", "Label31");

    auto* manual = Frame("Manual sample size determination");
    auto* mh = new QHBoxLayout(manual);
    slider_ = new MarkedSlider(ws_);
    slider_->setObjectName("Slider1");
    // A drag draws the line as it goes; before a trimming the slider only
    // answers, once, when it is let go.
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        if (slider_->isSliderDown() && !ws_.DataTrimmed) return;
        RunSlider(ws_, platform_, v);
        Render();
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] {
        if (ws_.DataTrimmed || slider_->value() == ws_.Slider1.value) return;
        RunSlider(ws_, platform_, slider_->value());
        Render();
    });
    slider_->setTickPosition(QSlider::TicksBelow);
    controls_["Slider1"] = slider_;
    mh->addWidget(slider_);
    v->addWidget(manual);

    addChart(ws_.VtChart2, "VtChart2", ws_.Label30, ws_.Label28, "Label30", "Label28");
    return w;
}

QWidget* MainWindow::BuildRight() {
    auto* w = new QWidget;
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);

    auto* rep = Frame("Visual jackknife");
    auto* rv = new QVBoxLayout(rep);
    auto* sprRep = new qt::GridView(ws_.sprRep, false);
    sprRep->setObjectName("sprRep");
    grids_.push_back(sprRep);
    controls_["sprRep"] = sprRep;
    sprRep->gridModel()->SetShownLimit(3, 6);
    sprRep->gridModel()->SetHeaders(
        {"Manual", "Automatic", "Student-t"},
        {"Average mean", "Maximum mean", "Minimum mean", "Average standard deviation",
         "Maximum standard deviation", "Minimum standard deviation"});
    // The three columns share the width; the six rows show without scrolling.
    sprRep->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprRep->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sprRep->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sprRep->setFixedHeight(sprRep->horizontalHeader()->sizeHint().height() +
                           6 * sprRep->verticalHeader()->defaultSectionSize() +
                           2 * sprRep->frameWidth() + 2);
    rv->addWidget(sprRep);
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
    cg->addWidget(new QLabel("Automatic sample size:"), 0, 0);
    cg->addWidget(AddField(ws_.txtAutoMeanBasso, "txtAutoMeanBasso", false), 0, 1);
    cg->addWidget(cvLabel(), 0, 2);
    cg->addWidget(AddField(ws_.txtAutoMeanAlto, "txtAutoMeanAlto", false), 0, 3);
    cg->addWidget(new QLabel("Manual sample size:"), 1, 0);
    cg->addWidget(AddField(ws_.txtManualMeanBasso, "txtManualMeanBasso", false), 1, 1);
    cg->addWidget(cvLabel(), 1, 2);
    cg->addWidget(AddField(ws_.txtManualMeanAlto, "txtManualMeanAlto", false), 1, 3);
    for (const char* name :
         {"txtAutoMeanBasso", "txtAutoMeanAlto", "txtManualMeanBasso", "txtManualMeanAlto"})
        controls_[name]->setMinimumWidth(56);
    v->addWidget(cv);

    auto* student = Frame("Student-t sample size determination");
    auto* sf = new QFormLayout(student);
    alpha_ = new QComboBox;
    alpha_->setObjectName("cmbAlphaStud");
    controls_["cmbAlphaStud"] = alpha_;
    connect(alpha_, &QComboBox::textActivated, this,
            [this](const QString& t) { ws_.cmbAlphaStud.text = t.toStdString(); });
    sf->addRow("Alpha:", alpha_);
    sf->addRow("Max. accepted error:", AddField(ws_.Text1, "Text1", true));
    sf->addRow("Standard deviation:", AddField(ws_.Text2, "Text2", true));
    sf->addRow(
        AddButton(ws_.tStudentSampleSize, "tStudentSampleSize", "Student-t", Command::StudentT));
    v->addWidget(student);

    auto* results = Frame("Results");
    auto* rf = new QFormLayout(results);
    rf->addRow("Visual jackknife (auto):", AddField(ws_.Text3, "Text3", false));
    rf->addRow("Visual jackknife (manual):", AddField(ws_.Text4, "Text4", false));
    rf->addRow("Student-t based:", AddField(ws_.Text5, "Text5", false));
    auto* sprReport = new qt::GridView(ws_.sprReport, false);
    sprReport->setObjectName("sprReport");
    // Column 1 holds the row titles the commands write.
    sprReport->gridModel()->SetShownLimit(3, 12);
    sprReport->gridModel()->SetHeaders({"Item", "Intercept or value", "Slope"}, {});
    sprReport->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sprReport->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sprReport->setMinimumHeight(50);
    grids_.push_back(sprReport);
    controls_["sprReport"] = sprReport;
    rf->addRow(sprReport);
    v->addWidget(results, 1);

    w->setFixedWidth(450);
    return w;
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu("File");
    QAction* open = file->addAction("Open", this, [this] { Run(Command::Open); });
    open->setObjectName("mnuOpen");
    open->setShortcut(QKeySequence("Ctrl+O"));
    QAction* newAct = file->addAction("New", this, [this] { Run(Command::New); });
    newAct->setObjectName("mnuNew");
    newAct->setShortcut(QKeySequence("Ctrl+N"));
    QMenu* save = file->addMenu("Save");
    save->setObjectName("mnuSave");
    save->addAction("Pre-sampling results", this, [this] { Run(Command::PreSamplingResults); })
        ->setObjectName("SaveSU");
    QMenu* exportChart = file->addMenu("Export chart...");
    exportChart->setObjectName("mnuExportChart");
    exportChart->addAction("Means...", this, [this] { charts_[0]->SaveImageAs(QString()); })
        ->setObjectName("mnuExportChart1");
    exportChart
        ->addAction("Standard deviations...", this, [this] { charts_[1]->SaveImageAs(QString()); })
        ->setObjectName("mnuExportChart2");
    file->addSeparator();
    QAction* exitAct = file->addAction("Exit", this, [this] { Run(Command::Exit); });
    exitAct->setObjectName("mnuExit");
    exitAct->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* exportMenu = menuBar()->addMenu("Export");
    exportMenu
        ->addAction("Configuration and Results", this,
                    [this] { Run(Command::ConfigurationAndResults); })
        ->setObjectName("SaveConfRes");

    QMenu* help = menuBar()->addMenu("?");
    help->setObjectName("mnuHelp");
    // The caption carries "F1" itself; F1 is a window-wide shortcut.
    help->addAction("Contents...       F1", this, [this] { Run(Command::Contents); })
        ->setObjectName("cmdContents");
    help->addAction("About VELTA", this, [this] { Run(Command::About); })
        ->setObjectName("cmdAboutVELTA");
}

void MainWindow::BuildToolbar() {
    toolbar_ = addToolBar("Toolbar1");
    toolbar_->setObjectName("Toolbar1");
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
        a->setObjectName("Toolbar1_" + k);
        a->setToolTip(hint);
        connect(a, &QAction::triggered, this, [this, k] { RunToolbar(k); });
    }
}

void MainWindow::BuildStatusBar() {
    for (int i = 1; i <= 8; ++i) {
        panels_[i] = new QLabel;
        panels_[i]->setObjectName(QString("StatusBar1_%1").arg(i));
        if (i == 2) panels_[i]->setMinimumWidth(260);
        if (i == 5 || i == 8) panels_[i]->setMinimumWidth(80);
        if (i == 3 || i == 6) panels_[i]->setMinimumWidth(30);
        statusBar()->addWidget(panels_[i], i == 2 ? 1 : 0);
    }
    statusNote_ = new QLabel;
    statusNote_->setObjectName("statusNote");
    statusNote_->setStyleSheet("QLabel { color: #9a3412; }");
    statusBar()->addPermanentWidget(statusNote_);
}

bool MainWindow::Run(Command c) {
    // The clouds shown stay, greyed, while a generation replaces them; if it
    // ends without new ones (Abort), the old ones stay as they were.
    const bool generating = c == Command::Generate && !ws_.generationRunning;
    if (generating)
        for (qt::ChartView* chart : charts_) chart->HoldGhost(true);
    const bool ran = RunCommand(ws_, platform_, c);
    if (generating)
        for (qt::ChartView* chart : charts_) chart->ReleaseGhost();
    Render();
    if (ws_.exitRequested || (closeAfterGeneration_ && !ws_.generationRunning)) close();
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
    const bool ran = Toolbar1_ButtonClick(ws_, platform_, key.toStdString());
    Render();
    return ran;
}

void MainWindow::Render() {
    for (auto& [edit, field] : fields_) {
        const QString t = Q(field->text);
        if (edit->text() != t) edit->setText(t);
        edit->setEnabled(field->enabled);
        edit->setVisible(field->visible);
    }
    for (auto& [button, field] : buttons_) {
        button->setEnabled(field->enabled && !ws_.generationRunning);
        button->setVisible(field->visible);
    }
    for (auto& [label, field] : labels_) {
        label->setText(Q(field->text));
        label->setVisible(field->visible);
    }
    for (qt::GridView* g : grids_) g->Sync();
    for (qt::ChartView* c : charts_) c->Render();
    // The progress window lives exactly as long as the generation shows it.
    if (ws_.frmAvanzamento.shown) {
        if (!progress_) {
            progress_ = new ProgressWindow(ws_, this);
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

    QStringList items;
    for (const auto& i : ws_.cmbAlphaStud.items) items << Q(i);
    QStringList shown;
    for (int i = 0; i < alpha_->count(); ++i) shown << alpha_->itemText(i);
    if (shown != items) {
        alpha_->clear();
        alpha_->addItems(items);
    }
    alpha_->setCurrentText(Q(ws_.cmbAlphaStud.text));

    slider_->blockSignals(true);
    slider_->setRange(ws_.Slider1.min, ws_.Slider1.max);
    slider_->setSingleStep(ws_.Slider1.step);
    slider_->setPageStep(ws_.Slider1.step);
    slider_->setTickInterval(ws_.Slider1.step);
    slider_->setValue(ws_.Slider1.value);
    slider_->setEnabled(ws_.Slider1.enabled && !ws_.generationRunning);
    slider_->blockSignals(false);
    slider_->update();  // the automatic size's mark

    // The trimmed state shows as a tinted P value field.
    txtPerc_->setStyleSheet(ws_.DataTrimmed ? "QLineEdit { background: #fff3c4; }" : QString());

    for (int i = 1; i <= 8; ++i) {
        panels_[i]->setText(Q(ws_.StatusBar1[i].text));
        panels_[i]->setEnabled(ws_.StatusBar1[i].enabled);
    }
    statusNote_->setText(Q(ws_.statusNote));
    statusNote_->setVisible(!ws_.statusNote.empty());
    setWindowTitle(Q(ws_.caption));

    // The request is consumed here, so a fresh workspace (New, Open) never
    // brings the window back by itself.
    if (ws_.aboutRequests > 0) {
        ws_.aboutRequests = 0;
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
    if (ws_.generationRunning) {
        ws_.AbortRequested = "1";
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
