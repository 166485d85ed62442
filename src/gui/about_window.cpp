#include "gui/about_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "base/version.h"
#include "gui/pictures.h"

namespace velta::gui {

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("About VELTA");
    setWindowIcon(Picture("velta"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel("VELTA");
    title->setObjectName("titleLabel");
    QFont font = title->font();
    font.setPointSize(font.pointSize() * 2);
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);

    auto* version = new QLabel(QString("Version ") + kVersion);
    version->setObjectName("versionLabel");
    layout->addWidget(version);

    auto* description = new QLabel(
        "Description: the program VELTA (sample size determination routines) is a tool for sample "
        "size determination, particularly useful in case of not normal distributions (or when "
        "normality cannot be assessed for certain).");
    description->setObjectName("descriptionLabel");
    description->setWordWrap(true);
    layout->addWidget(description);

    auto* separator = new QFrame;
    separator->setObjectName("separatorLine");
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    layout->addWidget(separator);

    auto* pictures = new QHBoxLayout;
    for (int i = 1; i <= 3; ++i) {
        auto* p = new QLabel;
        p->setObjectName(QString("picture%1").arg(i));
        p->setPixmap(PicturePixmap(QString("about%1").arg(i)));
        pictures->addWidget(p);
    }
    layout->addLayout(pictures);

    auto* notice = new QLabel(
        "This program is offered for research and teaching, free of charge and without any "
        "warranty. The sample sizes it suggests rest on the pre-sample you give it: check that "
        "the pilot values are representative of the population, and judge the results with the "
        "knowledge of your field before planning a survey on them.");
    notice->setObjectName("noticeLabel");
    notice->setWordWrap(true);
    layout->addWidget(notice);

    // Closed with Close, Escape or the window's own close box.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* close = new QPushButton("Close");
    close->setObjectName("closeButton");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    setFixedWidth(460);
}

}  // namespace velta::gui
