#ifndef HOSTILEFILES_H
#define HOSTILEFILES_H

// Dictionary files that a careless editor, a broken copy or a prankster may produce, written into
// a folder as the program expects to find them; shared by the loader's tests and the window's.
// The row tables are the same for both: each half checks what its part does with them.

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"

namespace hostilefiles {

// Line 1 and line 3 of most dictionaries here; line 2 is the hostile one.
extern const RawDictionaryFiles firstLine;
extern const RawDictionaryFiles lastLine;
extern const QString firstRecord;
extern const QString lastRecord;

// Three lines per file: `middle` between the two ordinary records.
RawDictionaryFiles around(const RawDictionaryFiles &middle);

// `folder`/texts/<name of `file`>, as the program opens it from `folder`.
QString textsPath(const QString &folder, int file);

// Writes `folder`/texts/ as the program expects to find it.
bool writeTexts(const QString &folder, const RawDictionaryFiles &files);

// Loads `folder`/texts/ as the program does.
bool loadTexts(ConlangDictionary &dictionary, const QString &folder);

// The records numbered `first` up to `last`, in number order; missing numbers are skipped.
QList<QString> recordsBetween(const ConlangDictionary &dictionary, int first, int last);

// The loader's error for a file it cannot open, and its warning for files of unequal lengths.
QString openError(const QString &path);
QString lineCountWarning(int line);

// What may stand at a path where a file is expected.
enum class Replacement { Missing, Directory, Fifo, LinkToFifo, DanglingLink };

// Replaces whatever is at `path` by `replacement`; FIFOs made are added to `fifos`.
bool replacePath(const QString &path, Replacement replacement, QList<QString> &fifos);

// Stands in for a writer of each FIFO while it lives: it opens each one for writing and closes
// it again, every few milliseconds. Opening a FIFO for reading blocks until a writer comes, so
// code that wrongly opens one reads an empty file instead of hanging the test. Without a
// reader waiting, the non-blocking open simply fails.
class FifoWriterStandIn
{
public:
    explicit FifoWriterStandIn(const QList<QString> &fifos);
    ~FifoWriterStandIn();
    FifoWriterStandIn(const FifoWriterStandIn &) = delete;
    FifoWriterStandIn &operator=(const FifoWriterStandIn &) = delete;

private:
    void run();

    QList<QByteArray> m_paths;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

// "n|wn|译n|ko.n|rado n|门n": record n of the files of addShortFileRows().
QString numberedRecord(int n);

// The row tables, each with its columns, for a test's _data function:
// line 2 of megabytes in one file. Columns middle (RawDictionaryFiles, line 2 of each file),
// longFile (int) and query (QString, reaches the long line through the search).
void addLongLineRows();
// Broken UTF-8. Columns files (RawDictionaryFiles) and records (QList<QString>, as loaded).
void addBrokenUtf8Rows();
// One file shorter than the others. Columns files (RawDictionaryFiles), records (int, numbered
// 1 to this) and warnings (QList<QString>).
void addShortFileRows();
// Floods of separators on line 2. Columns middle (RawDictionaryFiles, line 2 of each file, whose
// word is mira), phrases (int, kept on line 2), warnings (QList<QString>) and phraseQuery
// (QString: finds mira through its phrases; empty: none).
void addSeparatorFloodRows();

} // namespace hostilefiles

Q_DECLARE_METATYPE(hostilefiles::Replacement)

#endif // HOSTILEFILES_H
