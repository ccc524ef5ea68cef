// Start-up time of the program: the same steps as its main(), timed from the start of main() until
// the window is shown (exposed), then the program quits. Run it in a folder with texts/, with the
// debug log sent elsewhere; scripts/benchmark.sh also times the whole process from outside.
//
//   QT_QPA_PLATFORM=offscreen bench_startup 2>/dev/null

#include "widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    Widget window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    std::printf("main() to shown window: %.1f ms\n", sinceMain.nsecsElapsed() / 1e6);
    return 0;
}
