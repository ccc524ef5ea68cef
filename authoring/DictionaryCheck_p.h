#ifndef DICTIONARYCHECK_P_H
#define DICTIONARYCHECK_P_H

#include "DictionaryCheck.h"

#include <QHash>

#include <array>
#include <functional>
#include <optional>

// The checker behind checkFolder and checkTexts. Its rules about the files as files (readable,
// UTF-8, line ends, line counts, where they stop lining up) are in FileCheck.cpp, those about the
// entries they hold in DictionaryCheck.cpp.
namespace dictionarycheck {

using dictionaryformat::File;
using dictionaryformat::fileAt;
using dictionaryformat::fileCount;

// The pieces of a line as the loader keeps them: split at the separator, empty pieces skipped.
inline QList<QString> loadedPieces(const QString &line, QChar separator)
{
    return line.trimmed().split(separator, Qt::SkipEmptyParts);
}

struct FileLines
{
    bool readable = false;
    QList<QString> lines;
};

class Checker
{
public:
    Checker(const QString &folder, const QList<QString> &knownTags)
        : m_folder(folder)
        , m_knownTags(knownTags)
    {
    }

    Checker(const dictionaryformat::Texts &texts,
            const QList<QString> &knownTags,
            const QSet<int> &lines)
        : m_knownTags(knownTags)
        , m_given(true)
        , m_onlyLines(lines)
    {
        for (int i = 0; i < fileCount; ++i)
            m_files[i] = {true, texts[fileAt(i)]};
    }

    Report run();

private:
    void report(File file, int line, Severity severity, const char *code, const QString &message)
    {
        m_report.findings.append({file, line, severity, QString::fromLatin1(code), message});
    }
    const QList<QString> &lines(File file) const { return m_files[int(file)].lines; }
    // Line `index` (0-based) of `file`, trimmed; empty beyond its end.
    QString trimmedLine(File file, qsizetype index) const
    {
        return lines(file).value(index).trimmed();
    }
    bool allReadable() const
    {
        return std::all_of(
            m_files.begin(), m_files.end(), [](const FileLines &file) { return file.readable; });
    }

    void readFile(File file);
    void checkBytes(File file, const QByteArray &bytes);
    void checkLineCounts();
    void locateMisalignment(File file, qsizetype common);
    void checkWordsAndTranslations(qsizetype loadedLines);
    void checkGapLine(qsizetype index);
    void checkTags(qsizetype index);
    void checkPhrases(qsizetype index);
    void reportUnknownTags();
    void foldConsequences();

    const QString m_folder;
    const QList<QString> m_knownTags;
    const bool m_given = false; // the lines were given, not read
    const std::optional<QSet<int>> m_onlyLines; // the lines to look at, when not all
    // Each unknown tag once, in the order first met: its first line and how many lines carry it.
    QList<QString> m_unknownTags;
    struct TagUse
    {
        int firstLine = 0;
        int lastLine = 0;
        int lines = 0;
    };
    QHash<QString, TagUse> m_unknownTagLines;
    std::array<FileLines, fileCount> m_files;
    Report m_report;
};

} // namespace dictionarycheck

#endif // DICTIONARYCHECK_P_H
