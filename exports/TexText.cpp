#include "TexText.h"

#include <QList>

namespace pdfbook {

namespace {

// The engine cannot set a word of a thousand letters (it fails or crashes): a word longer than
// this may break after each such stretch.
constexpr int longestUnbrokenWord = 32;
// The engine reads its source a line at a time into a buffer of fixed size: a longer line of the
// source is continued on the next one.
constexpr qsizetype longestSourceLine = 2000;

// The characters Latin Modern lacks and Noto Serif CJK has: Chinese, Japanese and Korean script
// with their punctuation and full-width forms, and the Greek and Cyrillic letters.
bool inChineseFont(char32_t c)
{
    return (c >= 0x0370 && c <= 0x052F) || (c >= 0x1100 && c <= 0x11FF)
        || (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xA960 && c <= 0xA97F)
        || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0xFE10 && c <= 0xFE1F) || (c >= 0xFE30 && c <= 0xFE6F)
        || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Neither font has a right-to-left script, and once the engine has shaped such a character it
// mirrors brackets and loses blanks in the rest of the book: they are left out as every other
// character no font has.
bool writtenRightToLeft(char32_t c)
{
    switch (QChar::direction(c)) {
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
    case QChar::DirRLE:
    case QChar::DirRLO:
    case QChar::DirRLI:
    case QChar::DirLRE:
    case QChar::DirLRO:
    case QChar::DirLRI:
    case QChar::DirFSI:
    case QChar::DirPDF:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

bool isBlank(char32_t c)
{
    return c == u' ' || c < 0x20 || (c >= 0x7F && c < 0xA0);
}

void addEscapedCharacter(QString &escaped, char32_t c)
{
    switch (c) {
    case u'\\':
        escaped += QStringLiteral("\\textbackslash{}");
        return;
    case u'~':
        escaped += QStringLiteral("\\textasciitilde{}");
        return;
    case u'^':
        escaped += QStringLiteral("\\textasciicircum{}");
        return;
    case u'{':
    case u'}':
    case u'#':
    case u'$':
    case u'%':
    case u'&':
    case u'_':
        escaped += u'\\';
        escaped += QChar(c);
        return;
    default:
        escaped += QStringView(
            QChar::fromUcs4(writtenRightToLeft(c) ? char32_t(QChar::ReplacementCharacter) : c));
    }
}

} // namespace

QString escapedText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + 16);
    bool inChinese = false;
    bool blankWaiting = false;
    int wordLength = 0;
    for (const uint code : text.toUcs4()) {
        if (isBlank(code)) {
            // One blank for a run, none at either end: the engine would show them side by side
            // where an argument ends, and a long run would overflow its line buffer. A blank is
            // set in the Latin font.
            if (inChinese)
                escaped += u'}';
            inChinese = false;
            blankWaiting = !escaped.isEmpty();
            wordLength = 0;
            continue;
        }
        if (blankWaiting)
            escaped += u' ';
        blankWaiting = false;
        const bool chinese = inChineseFont(code);
        if (chinese != inChinese)
            escaped += chinese ? QStringLiteral("\\C{") : QStringLiteral("}");
        inChinese = chinese;
        if (++wordLength > longestUnbrokenWord) {
            escaped += QStringLiteral("\\Z{}");
            wordLength = 1;
        }
        addEscapedCharacter(escaped, code);
    }
    if (inChinese)
        escaped += u'}';
    return escaped;
}

// The source with every line longer than the engine's buffer broken. Each broken line ends in a
// comment, so that the engine joins the two without a blank; a line is not broken inside a
// command's name, between the halves of a character, or before a blank (the engine drops blanks
// at the start of a line).
QString withShortLines(const QString &source)
{
    const auto breakableAt = [&](qsizetype at) {
        const QChar before = source.at(at - 1);
        return !before.isHighSurrogate() && !before.isLetter() && before != u'\\'
            && source.at(at) != u' ';
    };
    QString result;
    result.reserve(source.size() + 64);
    qsizetype lineStart = 0;
    while (lineStart < source.size()) {
        const qsizetype newline = source.indexOf(u'\n', lineStart);
        const qsizetype lineEnd = newline < 0 ? source.size() : newline + 1;
        qsizetype from = lineStart;
        while (lineEnd - from > longestSourceLine) {
            qsizetype cut = from + longestSourceLine;
            while (cut < lineEnd - 1 && !breakableAt(cut))
                ++cut;
            result += QStringView(source).sliced(from, cut - from);
            result += QStringLiteral("%\n");
            from = cut;
        }
        result += QStringView(source).sliced(from, lineEnd - from);
        lineStart = lineEnd;
    }
    return result;
}

} // namespace pdfbook
