#include <QApplication>

#include "DesktopIdentity.h"
#include "widget.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    identifyToDesktop();
    Widget window;
    window.show();
    return app.exec();
}
