// convert_freedict <index> <dict or dict.dz> <outdir>
// Converts a FreeDict dictionary in dictd format into the five dictionary files in <outdir>.

#include "FreedictConverter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        err << "usage: convert_freedict <index> <dict or dict.dz> <outdir>\n";
        return 2;
    }

    QElapsedTimer timer;
    timer.start();
    freedict::ConversionReport report;
    QString error;
    if (!freedict::convertFreedictFiles(args.at(1), args.at(2), args.at(3), &report, &error)) {
        err << "convert_freedict: " << error << '\n';
        return 1;
    }
    QTextStream(stdout) << freedict::describeReport(report) << '\n'
                        << "wrote " << QDir(args.at(3)).absolutePath() << " in " << timer.elapsed()
                        << " ms\n";
    return 0;
}
