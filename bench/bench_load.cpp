// Load time and memory of one dictionary folder, against a floor measured in the same run:
// reading the same five files line by line with QTextStream and nothing else.
//
//   bench_load <folder> [repetitions]
//
// Prints one line: entries, floor and load time (best of the repetitions, the page cache warm),
// their ratio, the first load's time (in a process that has loaded nothing yet, so the memory it
// takes comes fresh from the system, as at the program's start-up), and the memory of the first
// load in bytes per entry: the peak of the process's resident memory during the load and what stays
// resident after it, both above the resident memory before it. Run it once per folder, in a fresh
// process, so the peak is this load's own.

#include "ConlangDictionary.h"
#include "DictionaryFormat.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace {

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

// Resident memory of this process in bytes: the current value or its peak so far.
qint64 residentBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

// Reads the files once in small blocks, so that every measurement finds them in the page cache
// without this process holding them in memory.
void warmPageCache(const QString &folder)
{
    std::array<char, 1 << 16> block;
    for (const QString &path : dictionaryformat::filePaths(folder)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            while (file.read(block.data(), block.size()) > 0) { }
        }
    }
}

qint64 readFloorNanoseconds(const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    qsizetype units = 0;
    for (const QString &path : dictionaryformat::filePaths(folder)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return -1;
        QTextStream stream(&file);
        while (!stream.atEnd())
            units += stream.readLine().size();
    }
    const qint64 elapsed = timer.nsecsElapsed();
    return units >= 0 ? elapsed : -1;
}

struct Load
{
    qint64 nanoseconds = 0;
    qsizetype entries = 0;
};

Load loadOnce(const QString &folder, ConlangDictionary &dictionary)
{
    QElapsedTimer timer;
    timer.start();
    dictionaryformat::loadFolder(dictionary, folder);
    return {timer.nsecsElapsed(), dictionary.numberIndexData().size()};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_load <folder> [repetitions]\n");
        return 2;
    }
    qInstallMessageHandler(&discardMessage);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    warmPageCache(folder);

    // The first load, in a process that has loaded nothing yet, gives the memory figures.
    const qint64 before = residentBytes("VmRSS:");
    qint64 bestLoad = std::numeric_limits<qint64>::max();
    qsizetype entries = 0;
    qint64 peak = 0;
    qint64 kept = 0;
    qint64 firstLoad = 0;
    {
        ConlangDictionary dictionary;
        const Load first = loadOnce(folder, dictionary);
        peak = residentBytes("VmHWM:") - before;
        kept = residentBytes("VmRSS:") - before;
        bestLoad = first.nanoseconds;
        firstLoad = first.nanoseconds;
        entries = first.entries;
    }
    if (entries == 0) {
        std::fprintf(stderr, "no entries loaded from %s\n", argv[1]);
        return 1;
    }
    qint64 bestFloor = std::numeric_limits<qint64>::max();
    for (int i = 0; i < repetitions; ++i) {
        bestFloor = std::min(bestFloor, readFloorNanoseconds(folder));
        ConlangDictionary dictionary;
        bestLoad = std::min(bestLoad, loadOnce(folder, dictionary).nanoseconds);
    }
    std::printf("%s: %lld entries, floor %.1f ms, load %.1f ms, load/floor %.2f, "
                "first load %.1f ms, peak %.0f B/entry, kept %.0f B/entry\n",
                argv[1],
                static_cast<long long>(entries),
                bestFloor / 1e6,
                bestLoad / 1e6,
                double(bestLoad) / double(bestFloor),
                firstLoad / 1e6,
                double(peak) / double(entries),
                double(kept) / double(entries));
    return 0;
}
