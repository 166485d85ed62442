#pragma once
// Window tests keep the window's remembered geometry and last folder in a
// temporary folder of their own, never in the user's settings.
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>

inline void UseTestSettings() {
    static QTemporaryDir dir;
    QCoreApplication::setOrganizationName("velta-tests");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings().clear();
}
