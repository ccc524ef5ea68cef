#include "DesktopIdentity.h"

#include <QGuiApplication>
#include <QIcon>

void identifyToDesktop()
{
    QCoreApplication::setApplicationName(applicationName());
    QGuiApplication::setDesktopFileName(desktopId());
    // The icon comes with the program, so that it shows before (or without)
    // an installation into an icon theme.
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(desktopId())));
}
