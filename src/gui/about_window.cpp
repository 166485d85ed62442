#include "gui/about_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "gui/pictures.h"

namespace velta::gui {

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("About VELTA");
    setWindowIcon(Picture("velta"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QVBoxLayout(this);
    auto* label1 = new QLabel("VELTA");
    label1->setObjectName("Label1");
    QFont title = label1->font();
    title.setPointSize(title.pointSize() * 2);
    title.setBold(true);
    label1->setFont(title);
    layout->addWidget(label1);

    auto* label2 = new QLabel("Version 1.01       (September 2006)");
    label2->setObjectName("Label2");
    layout->addWidget(label2);

    auto* label3 = new QLabel(
        "Description: the program VELTA (sample size determination routines) is a tool for sample "
        "size determination, particularly useful in case of not normal distributions (or when "
        "normality cannot be assessed for certain).");
    label3->setObjectName("Label3");
    label3->setWordWrap(true);
    layout->addWidget(label3);

    auto* line1 = new QFrame;
    line1->setObjectName("Line1");
    line1->setFrameShape(QFrame::HLine);
    line1->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line1);

    auto* pictures = new QHBoxLayout;
    for (int i = 1; i <= 3; ++i) {
        auto* p = new QLabel;
        p->setObjectName(QString("Picture%1").arg(i));
        p->setPixmap(PicturePixmap(QString("about%1").arg(i)));
        pictures->addWidget(p);
    }
    layout->addLayout(pictures);

    auto* label4 = new QLabel(
        "This program is offered for research and teaching, free of charge and without any "
        "warranty. The sample sizes it suggests rest on the pre-sample you give it: check that "
        "the pilot values are representative of the population, and judge the results with the "
        "knowledge of your field before planning a survey on them.");
    label4->setObjectName("Label4");
    label4->setWordWrap(true);
    layout->addWidget(label4);

    // Closed with Close, Escape or the window's own close box.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = new QPushButton("Close");
    close->setObjectName("cmdClose");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    setFixedWidth(460);
}

}  // namespace velta::gui
