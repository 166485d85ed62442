#include "platform/qt/qt_platform.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QSettings>
#include <QStringList>

namespace velta::qt {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Messages break lines with a lone carriage return, which Qt does not show.
QString Lines(const std::string& text) {
    QString s = Q(text);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    return s;
}

QMessageBox::Icon ToQt(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString QtFilterFromPairs(const std::string& filter) {
    const QStringList parts = Q(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // Qt reads the patterns from the parentheses of the description.
        if (!desc.contains('('))
            desc += " (" + patterns + ")";
        else
            desc = desc.left(desc.indexOf('(')) + "(" + patterns + ")";
        out << desc;
    }
    return out.join(";;");
}

QString DialogStartPath(const QString& requested, const QString& lastFolder) {
    if (lastFolder.isEmpty() || requested.contains('/') || requested.contains('\\'))
        return requested;
    // Qt takes a pattern as a file name; the filter already carries it.
    const QString name = requested.contains('*') ? QString() : requested;
    return QDir(lastFolder).filePath(name);
}

bool KeepsSettings() {
    return !QCoreApplication::organizationName().isEmpty();
}

QString QtPlatform::LastFolder() const {
    if (!KeepsSettings()) return QString();
    const QString dir = QSettings().value("files/lastFolder").toString();
    return !dir.isEmpty() && QFileInfo(dir).isDir() ? dir : QString();
}

void QtPlatform::RememberFolder(const QString& chosenFile) {
    if (chosenFile.isEmpty() || !KeepsSettings()) return;
    QSettings().setValue("files/lastFolder", QFileInfo(chosenFile).absolutePath());
}

std::string QtPlatform::ChooseSaveFile(const std::string& title, const std::string& qtFilter) {
    if (answers_) {
        FileDialogRequest request;
        request.title = title;
        request.filter = qtFilter;
        request.save = true;
        return answers_->FileDialog(request);
    }
    const QString chosen =
        QFileDialog::getSaveFileName(parent_, Q(title), LastFolder(), Q(qtFilter));
    RememberFolder(chosen);
    return chosen.toStdString();
}

MsgAnswer QtPlatform::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) {
    if (answers_) return answers_->MessageBox(text, buttons, icon, title);
    // The window shows the session as it is when the message speaks of it
    // (and no longer the words of the step that led to it).
    if (onRefresh) onRefresh();
    QMessageBox box(ToQt(icon), title.empty() ? QString(kVeltaTitle) : Q(title), Lines(text),
                    QMessageBox::NoButton, parent_);
    switch (buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MsgButtons::RetryCancel:
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
            break;
        case MsgButtons::SaveDiscardCancel:
            box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Save);
            break;
    }
    // A busy pointer must not hide the dialog's own pointer.
    if (busyDepth_ > 0) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int r = box.exec();
    if (busyDepth_ > 0) QApplication::restoreOverrideCursor();
    switch (r) {
        case QMessageBox::Yes:
            return MsgAnswer::Yes;
        case QMessageBox::No:
            return MsgAnswer::No;
        case QMessageBox::Cancel:
            return MsgAnswer::Cancel;
        case QMessageBox::Retry:
            return MsgAnswer::Retry;
        case QMessageBox::Save:
            return MsgAnswer::Save;
        case QMessageBox::Discard:
            return MsgAnswer::Discard;
        default:
            break;
    }
    // Closing the box with Escape or its close box answers Cancel or No.
    if (buttons == MsgButtons::YesNo) return MsgAnswer::No;
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    return MsgAnswer::Cancel;
}

std::string QtPlatform::InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) {
    if (answers_) return answers_->InputBox(prompt, title, defaultText);
    bool ok = false;
    const QString s =
        QInputDialog::getText(parent_, title.empty() ? QString(kVeltaTitle) : Q(title),
                              Lines(prompt), QLineEdit::Normal, Q(defaultText), &ok);
    return ok ? s.toStdString() : std::string();
}

std::string QtPlatform::FileDialog(const FileDialogRequest& request) {
    if (answers_ && !(openAnswer_ && !request.save)) return answers_->FileDialog(request);
    if (openAnswer_ && !request.save) {
        const std::string chosen = std::move(*openAnswer_);
        openAnswer_.reset();
        RememberFolder(Q(chosen));
        return chosen;
    }
    const QString filter = QtFilterFromPairs(request.filter);
    QString start = DialogStartPath(Q(request.fileName), LastFolder());
    if (start.contains('*')) start.clear();
    const QString chosen =
        request.save ? QFileDialog::getSaveFileName(parent_, Q(request.title), start, filter,
                                                    nullptr, QFileDialog::DontConfirmOverwrite)
                     : QFileDialog::getOpenFileName(parent_, Q(request.title), start, filter);
    RememberFolder(chosen);
    return chosen.isEmpty() ? request.fileName : chosen.toStdString();
}

void QtPlatform::SetBusy(bool busy) {
    if (busy) {
        ++busyDepth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

void QtPlatform::ShowNow() {
    if (onShowNow) onShowNow();
}

void QtPlatform::ProcessEvents() {
    if (onRefresh) onRefresh();
    QApplication::processEvents();
}

std::string QtPlatform::TimeText() {
    return QTime::currentTime().toString(Qt::TextDate).toStdString();
}

std::string QtPlatform::DateText() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

std::string QtPlatform::DateTimeText() {
    return QDateTime::currentDateTime().toString("dd/MM/yyyy HH:mm:ss").toStdString();
}

double QtPlatform::MonotonicSeconds() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<double>(timer.nsecsElapsed()) * 1e-9;
}

void QtPlatform::ShowHelp() {
    if (onHelp) onHelp();
}

}  // namespace velta::qt
