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

    // Where lines went in or out, the files stop matching line for line from there on.
    for (int i = 0; i < fileCount; ++i) {
        if (m_files[i].lines.size() != common)
            locateMisalignment(fileAt(i), common);
    }
}

namespace {

// What a line of one file says about the line of another it is set beside: +1 they belong
// together, -1 they do not, 0 it cannot be told. Only what holds for every dictionary is used:
// gaps are empty in every file, a word's phrases name it, phrases and their translations come in
// equal number, and a translation's words or characters come back in its phrases' translations.
int kinship(File file, const QString &line, File other, const QString &otherLine);

QList<QString> tokensOf(const QString &text)
{
    QList<QString> tokens;
    QString word;
    for (const QChar character : text) {
        if (character.unicode() >= 0x2E80 && !character.isPunct()) {
            tokens.append(QString(character)); // a Chinese character is a word of its own
        } else if (character.isLetter()) {
            word += character.toLower();
            continue;
        }
        if (word.size() >= 3)
            tokens.append(word);
        word.clear();
    }
    if (word.size() >= 3)
        tokens.append(word);
    return tokens;
}

int orderedKinship(File file, const QString &line, File other, const QString &otherLine)
{
    const QString a = line.trimmed();
    const QString b = otherLine.trimmed();
    const QChar separator = dictionaryformat::phraseSeparator;
    if (file == File::Words && other == File::Translations)
        return a.isEmpty() == b.isEmpty() ? (a.isEmpty() ? 1 : 0) : -1;
    if (file == File::Words && other == File::Phrases) {
        if (b.isEmpty())
            return 0;
        return a.isEmpty() ? -1 : (b.contains(a, Qt::CaseInsensitive) ? 1 : 0);
    }
    if (file == File::Words && other == File::PartsOfSpeech)
        return a.isEmpty() && !b.isEmpty() ? -1 : (a.isEmpty() && b.isEmpty() ? 1 : 0);
    if (file == File::Phrases && other == File::PhraseTranslations) {
        const qsizetype phrases = loadedPieces(a, separator).size();
        const qsizetype translations = loadedPieces(b, separator).size();
        if (phrases == 0 && translations == 0)
            return 0;
        return phrases == translations ? 1 : -1;
    }
    if (file == File::Translations && other == File::PhraseTranslations) {
        if (a.isEmpty() || b.isEmpty())
            return 0;
        const QList<QString> phraseTokens = tokensOf(b);
        for (const QString &token : tokensOf(a)) {
            if (phraseTokens.contains(token))
                return 1;
        }
        return 0;
    }
    return 0;
}

int kinship(File file, const QString &line, File other, const QString &otherLine)
{
    return int(file) < int(other) ? orderedKinship(file, line, other, otherLine)
                                  : orderedKinship(other, otherLine, file, line);
}

} // namespace

// Where `file`, which holds another number of lines than the `common` count, stops lining up
// with the others: its lines before that point are set beside the others' lines of the same
// number, the lines after it beside those as many lines further on as it holds fewer (or back,
// as many as it holds more). The point is where the lines agree best so, found from their
// kinship with the other files' lines; reported as the lines between the last line that belongs
// where it is and the first that belongs one shift away. With nothing in the lines to tell (no
// gaps, no phrases) there is no such finding, only the line counts.
void Checker::locateMisalignment(File file, qsizetype common)
{
    const QList<QString> &own = lines(file);
    const qsizetype shift = common - own.size();
    QList<File> partners;
    for (int i = 0; i < fileCount; ++i) {
        if (fileAt(i) != file && m_files[i].lines.size() == common)
            partners.append(fileAt(i));
    }
    const auto agreement = [&](qsizetype index, qsizetype offset) {
        int sum = 0;
        const qsizetype at = index + offset;
        for (const File partner : std::as_const(partners)) {
            if (at >= 0 && at < common)
                sum += kinship(file, own.at(index), partner, lines(partner).at(at));
        }
        return sum;
    };
    // score(k): the lines before k in place, those from k on shifted.
    QList<int> inPlaceAgreement(own.size());
    QList<int> shiftedAgreement(own.size());
    qsizetype score = 0; // k = 0: every line shifted
    for (qsizetype i = 0; i < own.size(); ++i) {
        inPlaceAgreement[i] = agreement(i, 0);
        shiftedAgreement[i] = agreement(i, shift);
        score += shiftedAgreement[i];
    }
    qsizetype best = score;
    qsizetype firstBest = 0;
    qsizetype lastBest = 0;
    for (qsizetype k = 1; k <= own.size(); ++k) {
        score += inPlaceAgreement[k - 1] - shiftedAgreement[k - 1];
        if (score > best) {
            best = score;
            firstBest = lastBest = k;
        } else if (score == best) {
            lastBest = k;
        }
    }
    // Everything in place is as good as the best: the lines went in or out at the end, or nothing
    // in the lines tells.
    if (best <= score)
        return;
    const QString partnerNames = [&] {
        QList<QString> names;
        for (const File partner : std::as_const(partners))
            names.append(dictionaryformat::fileName(partner));
        return names.join(QStringLiteral(", "));
    }();
    const qsizetype lines = std::abs(shift);
    const QString shifted = shift > 0
        ? (lines == 1 ? VarnellDict::tr("one line further on")
                      : VarnellDict::tr("%1 lines further on").arg(lines))
        : (lines == 1 ? VarnellDict::tr("one line further back")
                      : VarnellDict::tr("%1 lines further back").arg(lines));
    const QString message = firstBest == lastBest
        ? VarnellDict::tr("the files stop lining up here: the lines before this one match %1 "
                          "line for line, this one and those after it match the lines of those "
                          "files %2")
              .arg(partnerNames, shifted)
        : VarnellDict::tr("the files stop lining up between this line and line %1: the lines "
                          "before this one match %2 line for line, those from line %1 on match "
                          "the lines of those files %3")
              .arg(lastBest + 1)
              .arg(partnerNames, shifted);
    report(file, int(firstBest + 1), Severity::Error, "misaligned", message);
}

} // namespace dictionarycheck
