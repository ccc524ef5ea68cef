// The rules of the check about the files as files: each is a regular, readable file of UTF-8 lines
// with one kind of line end, and the five hold as many lines, lined up.

#include "DictionaryCheck_p.h"

#include "VarnellDictText.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace dictionarycheck {

namespace {

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

} // namespace

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

} // namespace dictionarycheck
