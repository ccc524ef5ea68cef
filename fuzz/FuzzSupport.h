#ifndef FUZZSUPPORT_H
#define FUZZSUPPORT_H

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// The dictionary logs every load and search; a fuzzer runs millions of them, so the log is
// dropped except for the one line a harness asks to keep.
void silenceDebugLog();
// The loaded-record count of the last load report ("总词条数: n"), or -1 if none was written.
int lastReportedRecordCount();
void forgetLastReport();

// Stops the fuzzer with a message, so that libFuzzer saves the input that broke the promise.
[[noreturn]] inline void brokenPromiseFound(const QString &what)
{
    std::fprintf(stderr, "broken promise: %s\n", qUtf8Printable(what));
    std::abort();
}

inline void expectKept(const QString &problem)
{
    if (!problem.isEmpty())
        brokenPromiseFound(problem);
}

#endif // FUZZSUPPORT_H
