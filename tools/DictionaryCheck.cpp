#include "DictionaryCheck.h"

#include "Subcommands.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <array>
#include <functional>

namespace dictionarycheck {

namespace {

using dictionaryformat::File;
using dictionaryformat::fileAt;
using dictionaryformat::fileCount;

constexpr QChar fullWidthComma = u'，';
constexpr QChar fullWidthSemicolon = u'；';

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// The offset of the first byte of `text` that does not belong to a well-formed UTF-8 sequence, or
// -1. Qt's own check answers only yes or no; an author needs the column.
qsizetype firstInvalidUtf8(QByteArrayView text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        const uchar lead = uchar(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t codePoint = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, codePoint = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, codePoint = lead & 0x0F, smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, codePoint = lead & 0x07, smallest = 0x10000;
        } else {
            return i;
        }
        if (i + length > text.size())
            return i;
        for (int k = 1; k < length; ++k) {
            const uchar next = uchar(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return i;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF
            || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return i;
        i += length;
    }
    return -1;
}

// The pieces of a line as the loader keeps them: split at the separator, empty pieces skipped.
QList<QString> loadedPieces(const QString &line, QChar separator)
{
    return line.trimmed().split(separator, Qt::SkipEmptyParts);
}

// True when some piece between separators is empty or only blanks.
bool hasEmptyPiece(const QString &line, const QList<QChar> &separators)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= trimmed.size(); ++i) {
        if (i == trimmed.size() || separators.contains(trimmed.at(i))) {
            if (QStringView(trimmed).sliced(start, i - start).trimmed().isEmpty())
                return true;
            start = i + 1;
        }
    }
    return false;
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
    void locateMisalignment(File file, File partner, const std::function<bool(qsizetype)> &differ);
    void checkWordsAndTranslations(qsizetype loadedLines);
    void checkGapLine(qsizetype index);
    void checkTags(qsizetype index);
    void checkPhrases(qsizetype index);

    const QString m_folder;
    const QList<QString> m_knownTags;
    std::array<FileLines, fileCount> m_files;
    Report m_report;
};

void Checker::readFile(File file)
{
    const QString path = dictionaryformat::filePath(m_folder, file);
    const QFileInfo info(path);
    if (!info.exists()) {
        report(file, 0, Severity::Error, "missing-file", VarnellDict::tr("the file is missing"));
        return;
    }
    if (!info.isFile()) {
        report(file, 0, Severity::Error, "not-regular-file", VarnellDict::tr("not a regular file"));
        return;
    }
    QFile raw(path);
    QString error;
    if (!raw.open(QIODevice::ReadOnly)
        || !dictionaryformat::readLines(path, &m_files[int(file)].lines, &error)) {
        report(file,
               0,
               Severity::Error,
               "unreadable-file",
               VarnellDict::tr("the file cannot be read: %1").arg(raw.errorString()));
        return;
    }
    m_files[int(file)].readable = true;
    checkBytes(file, raw.readAll());
}

void Checker::checkBytes(File file, const QByteArray &bytes)
{
    static constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    int crLfLines = 0;
    int lfLines = 0;
    int firstLineEndOfOtherKind = 0;
    bool firstEndsInCrLf = false;
    int line = 1;
    for (qsizetype start = 0; start < bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool ended = end >= 0;
        if (!ended)
            end = bytes.size();
        const QByteArrayView text = QByteArrayView(bytes).sliced(start, end - start);
        if (ended) {
            const bool crLf = text.endsWith('\r');
            if (crLfLines + lfLines == 0)
                firstEndsInCrLf = crLf;
            else if (crLf != firstEndsInCrLf && firstLineEndOfOtherKind == 0)
                firstLineEndOfOtherKind = line;
            ++(crLf ? crLfLines : lfLines);
        }
        const qsizetype invalid = firstInvalidUtf8(text);
        if (invalid >= 0) {
            report(file,
                   line,
                   Severity::Error,
                   "invalid-utf8",
                   VarnellDict::tr("byte 0x%1 at column %2 is not UTF-8 (the window shows %3)")
                       .arg(QString::number(uchar(text[invalid]), 16).toUpper())
                       .arg(invalid + 1)
                       .arg(QChar(QChar::ReplacementCharacter)));
        }
        // Reading drops every carriage return, not only those of CR LF line ends: one inside
        // the line is lost from the text the window shows and an export writes.
        const qsizetype carriageReturn = text.chopped(text.endsWith('\r') ? 1 : 0).indexOf('\r');
        if (carriageReturn >= 0) {
            report(file,
                   line,
                   Severity::Warning,
                   "carriage-return",
                   VarnellDict::tr("carriage return at column %1 inside the line: reading the "
                                   "file drops it, so the window and an export show the line "
                                   "without it")
                       .arg(carriageReturn + 1));
        }
        for (qsizetype at = text.indexOf(byteOrderMark); at >= 0;
             at = text.indexOf(byteOrderMark, at + 1)) {
            if (line > 1 || at > 0) {
                report(file,
                       line,
                       Severity::Warning,
                       "byte-order-mark",
                       VarnellDict::tr("byte-order mark at column %1: invisible, but part of the "
                                       "text, so the word or translation no longer matches")
                           .arg(at + 1));
            }
        }
        start = end + 1;
    }
    if (firstLineEndOfOtherKind > 0) {
        report(file,
               firstLineEndOfOtherKind,
               Severity::Warning,
               "mixed-line-ends",
               VarnellDict::tr("mixed line ends (CR LF: %1, LF alone: %2): this line ends "
                               "differently from line 1")
                   .arg(crLfLines)
                   .arg(lfLines));
    }
}

void Checker::checkLineCounts()
{
    // The count most files share is taken as right; the others are reported.
    QHash<qsizetype, int> filesWithCount;
    for (const FileLines &file : m_files)
        ++filesWithCount[file.lines.size()];
    if (filesWithCount.size() == 1)
        return;
    qsizetype common = lines(File::Words).size();
    for (auto it = filesWithCount.cbegin(); it != filesWithCount.cend(); ++it) {
        if (it.value() > filesWithCount.value(common))
            common = it.key();
    }
    qsizetype shortest = common;
    for (const FileLines &file : m_files)
        shortest = qMin(shortest, file.lines.size());
    for (int i = 0; i < fileCount; ++i) {
        const qsizetype count = m_files[i].lines.size();
        if (count == common)
            continue;
        report(fileAt(i),
               0,
               Severity::Error,
               "line-count",
               VarnellDict::tr("line count %1, but the other files have %2 lines (the window "
                               "reads only the first %3 lines of each file)")
                   .arg(count)
                   .arg(common)
                   .arg(shortest));
    }

    // Where a line went in or out, the files stop matching line for line from there on.
    const auto presenceDiffers = [this](File file) {
        return [this, file](qsizetype i) {
            return trimmedLine(File::Words, i).isEmpty() != trimmedLine(file, i).isEmpty();
        };
    };
    for (const File file : {File::Translations, File::PartsOfSpeech, File::Phrases}) {
        if (lines(file).size() != common)
            locateMisalignment(file, File::Words, presenceDiffers(file));
    }
    if (lines(File::Words).size() != common)
        locateMisalignment(File::Words, File::Translations, presenceDiffers(File::Translations));
    if (lines(File::PhraseTranslations).size() != common) {
        locateMisalignment(File::PhraseTranslations, File::Phrases, [this](qsizetype i) {
            return loadedPieces(lines(File::Phrases).value(i), dictionaryformat::phraseSeparator)
                       .size()
                != loadedPieces(lines(File::PhraseTranslations).value(i),
                                dictionaryformat::phraseSeparator)
                       .size();
        });
    }
}

// Reports the first line of `file` from which most lines that hold text in either file do not
// match `partner` (as `differ` tells), if there is one.
void Checker::locateMisalignment(File file,
                                 File partner,
                                 const std::function<bool(qsizetype)> &differ)
{
    const qsizetype count = qMax(lines(file).size(), lines(partner).size());
    qsizetype differing = 0;
    qsizetype holding = 0;
    qsizetype firstLine = -1;
    qsizetype differingFromFirst = 0;
    qsizetype holdingFromFirst = 0;
    // From the end backwards: the counts after line i are known when line i is reached.
    for (qsizetype i = count - 1; i >= 0; --i) {
        if (trimmedLine(file, i).isEmpty() && trimmedLine(partner, i).isEmpty())
            continue;
        ++holding;
        if (!differ(i))
            continue;
        ++differing;
        if (2 * differing > holding) {
            firstLine = i;
            differingFromFirst = differing;
            holdingFromFirst = holding;
        }
    }
    if (firstLine < 0)
        return;
    report(file,
           int(firstLine + 1),
           Severity::Error,
           "misaligned",
           VarnellDict::tr("the files seem to stop lining up here: from this line on, %1 of %2 "
                           "lines do not match %3 line for line")
               .arg(differingFromFirst)
               .arg(holdingFromFirst)
               .arg(dictionaryformat::fileName(partner)));
}

void Checker::checkWordsAndTranslations(qsizetype loadedLines)
{
    const qsizetype bothHave = qMin(lines(File::Words).size(), lines(File::Translations).size());
    QHash<QString, int> lineOfWord; // the loader's key: the word trimmed and lower-cased
    lineOfWord.reserve(bothHave);
    for (qsizetype i = 0; i < bothHave; ++i) {
        const QString word = trimmedLine(File::Words, i);
        const QString translation = trimmedLine(File::Translations, i);
        const int line = int(i + 1);
        if (word.isEmpty() && translation.isEmpty())
            continue;
        if (translation.isEmpty()) {
            report(File::Words,
                   line,
                   Severity::Warning,
                   "missing-translation",
                   VarnellDict::tr("word %1 has no translation on this line of %2")
                       .arg(quoted(word), dictionaryformat::fileName(File::Translations)));
        } else if (word.isEmpty()) {
            report(File::Translations,
                   line,
                   Severity::Warning,
                   "missing-word",
                   VarnellDict::tr("translation %1 has no word on this line of %2")
                       .arg(quoted(translation), dictionaryformat::fileName(File::Words)));
        }
        if (word.isEmpty() || i >= loadedLines)
            continue;
        int &earlier = lineOfWord[word.toLower()];
        if (earlier > 0) {
            report(File::Words,
                   line,
                   Severity::Error,
                   "duplicate-word",
                   VarnellDict::tr("%1 repeats the word of line %2 (letter case ignored): the "
                                   "record of line %2 can no longer be found by its word")
                       .arg(quoted(word))
                       .arg(earlier));
        }
        earlier = line;
    }
}

// A gap line (no word, no translation) keeps its entry number but holds no entry.
void Checker::checkGapLine(qsizetype index)
{
    for (const File file : {File::PartsOfSpeech, File::Phrases, File::PhraseTranslations}) {
        if (!trimmedLine(file, index).isEmpty()) {
            report(file,
                   int(index + 1),
                   Severity::Warning,
                   "gap-text",
                   VarnellDict::tr("text on a gap line (no word and no translation): the window "
                                   "ignores it"));
        }
    }
}

void Checker::checkTags(qsizetype index)
{
    const QString line = lines(File::PartsOfSpeech).value(index);
    const int lineNumber = int(index + 1);
    if (line.contains(fullWidthSemicolon)) {
        report(File::PartsOfSpeech,
               lineNumber,
               Severity::Warning,
               "full-width-separator",
               VarnellDict::tr("full-width '%1' where '%2' was probably meant")
                   .arg(fullWidthSemicolon, dictionaryformat::tagSeparator));
    }
    const QList<QChar> separators{dictionaryformat::tagSeparator, fullWidthSemicolon};
    if (hasEmptyPiece(line, separators)) {
        report(File::PartsOfSpeech,
               lineNumber,
               Severity::Warning,
               "empty-piece",
               VarnellDict::tr("an empty tag between separators"));
    }
    // Split at the full-width semicolon too: it was reported above as what it probably is.
    QString tags = line;
    tags.replace(fullWidthSemicolon, dictionaryformat::tagSeparator);
    for (const QString &piece : loadedPieces(tags, dictionaryformat::tagSeparator)) {
        const QString tag = piece.trimmed().toLower();
        if (!tag.isEmpty() && !m_knownTags.contains(tag)) {
            report(File::PartsOfSpeech,
                   lineNumber,
                   Severity::Warning,
                   "unknown-tag",
                   VarnellDict::tr("part-of-speech tag %1 is not one of: %2")
                       .arg(quoted(piece.trimmed()), m_knownTags.join(u' ')));
        }
    }
}

void Checker::checkPhrases(qsizetype index)
{
    const QChar separator = dictionaryformat::phraseSeparator;
    const QString phraseLine = lines(File::Phrases).value(index);
    const QString translationLine = lines(File::PhraseTranslations).value(index);
    const int lineNumber = int(index + 1);
    const QList<QString> phrases = loadedPieces(phraseLine, separator);
    const QList<QString> translations = loadedPieces(translationLine, separator);

    const QString fullWidthMessage
        = VarnellDict::tr("full-width '%1' where '%2' was probably meant")
              .arg(fullWidthComma, separator);
    // A conlang phrase has no use for a full-width comma; a Chinese translation may, so there it
    // is reported only when reading it as a separator would make the counts agree.
    if (phraseLine.contains(fullWidthComma))
        report(
            File::Phrases, lineNumber, Severity::Warning, "full-width-separator", fullWidthMessage);
    if (translationLine.contains(fullWidthComma) && phrases.size() != translations.size()) {
        QString separated = translationLine;
        separated.replace(fullWidthComma, separator);
        if (loadedPieces(separated, separator).size() == phrases.size())
            report(File::PhraseTranslations,
                   lineNumber,
                   Severity::Warning,
                   "full-width-separator",
                   fullWidthMessage);
    }
    for (const File file : {File::Phrases, File::PhraseTranslations}) {
        if (hasEmptyPiece(lines(file).value(index), {separator}))
            report(file,
                   lineNumber,
                   Severity::Warning,
                   "empty-piece",
                   VarnellDict::tr("an empty or blank piece between separators"));
    }

    if (phrases.size() == translations.size())
        return;
    QList<QString> dropped;
    for (qsizetype i = translations.size(); i < phrases.size(); ++i)
        dropped.append(VarnellDict::tr("phrase %1").arg(quoted(phrases.at(i))));
    for (qsizetype i = phrases.size(); i < translations.size(); ++i)
        dropped.append(VarnellDict::tr("translation %1").arg(quoted(translations.at(i))));
    report(File::Phrases,
           lineNumber,
           Severity::Error,
           "phrase-count",
           VarnellDict::tr("phrases and their translations differ in number (%1 against "
                           "%2 on this line of %3): the window drops %4")
               .arg(phrases.size())
               .arg(translations.size())
               .arg(dictionaryformat::fileName(File::PhraseTranslations),
                    dropped.join(QStringLiteral(", "))));
}

Report Checker::run()
{
    for (int i = 0; i < fileCount; ++i)
        readFile(fileAt(i));

    // The loader reads as far as the shortest file, and nothing at all when a file is missing.
    qsizetype loadedLines = allReadable() ? lines(File::Words).size() : 0;
    for (const FileLines &file : m_files)
        loadedLines = qMin(loadedLines, file.lines.size());
    if (allReadable())
        checkLineCounts();
    checkWordsAndTranslations(loadedLines);

    const qsizetype longest = std::max_element(m_files.begin(),
                                               m_files.end(),
                                               [](const FileLines &a, const FileLines &b) {
                                                   return a.lines.size() < b.lines.size();
                                               })
                                  ->lines.size();
    for (qsizetype i = 0; i < longest; ++i) {
        const bool gap
            = trimmedLine(File::Words, i).isEmpty() && trimmedLine(File::Translations, i).isEmpty();
        if (gap) {
            if (i < lines(File::Words).size() && i < lines(File::Translations).size())
                checkGapLine(i);
            continue;
        }
        if (i < lines(File::PartsOfSpeech).size())
            checkTags(i);
        if (i < loadedLines) {
            checkPhrases(i);
            ++m_report.entries;
        }
    }

    std::stable_sort(
        m_report.findings.begin(), m_report.findings.end(), [](const Finding &a, const Finding &b) {
            return std::pair(int(a.file), a.line) < std::pair(int(b.file), b.line);
        });
    return m_report;
}

} // namespace

int Report::errors() const
{
    return int(std::count_if(findings.begin(), findings.end(), [](const Finding &finding) {
        return finding.severity == Severity::Error;
    }));
}

int Report::warnings() const
{
    return int(findings.size()) - errors();
}

QList<QString> legendTags()
{
    return {QStringLiteral("ko."),
            QStringLiteral("kiu."),
            QStringLiteral("koler."),
            QStringLiteral("koos."),
            QStringLiteral("ka."),
            QStringLiteral("kei."),
            QStringLiteral("n.")};
}

Report checkFolder(const QString &folder, const QList<QString> &knownTags)
{
    return Checker(folder, knownTags).run();
}

} // namespace dictionarycheck
