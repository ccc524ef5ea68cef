#ifndef DESKTOPIDENTITY_H
#define DESKTOPIDENTITY_H

#include <QString>

// The names under which desktops know varnell. Wayland task bars match a
// window to its desktop entry by the desktop file's name, X11 ones by the
// window class, which Qt takes from the application name; both must equal
// what the installed desktop entry says.

// Reverse-DNS id: the desktop entry's and the metainfo's file name, the icon's name.
inline QString desktopId()
{
    return QStringLiteral("org.varnell.Varnell");
}

// The application name, which is also the X11 window class (StartupWMClass=).
inline QString applicationName()
{
    return QStringLiteral("varnell");
}

// Gives the running application its names and every window the varnell icon.
void identifyToDesktop();

#endif // DESKTOPIDENTITY_H
