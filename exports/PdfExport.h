#ifndef PDFEXPORT_H
#define PDFEXPORT_H

#include "ExportArticles.h"
#include "TexEngine.h"
#include "TexText.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The dictionary as a printed book: a title page, the part-of-speech legend, part one 禾岚 → 中文
// (every entry under its word) and part two 中文 → 禾岚 (every translation, and every piece of one
// the Chinese search finds it by, in pinyin order, each with its words), with section letters as
// headings. The running head of every page shows its guide words, the first and the last headword
// on it; the foot its number.
//
// The book is written as a source for XeLaTeX (Debian's texlive-xetex), which typesets it in a
// child process with the fonts the set-up installs: Latin Modern for Latin text, Noto Serif CJK
// for Chinese (and Greek and Cyrillic, which Latin Modern lacks). The fonts are embedded and every
// text can be searched and copied.
namespace pdfbook {

enum class Paper { A4, A5, Letter };

std::optional<Paper> paperNamed(const QString &name); // a4, a5 or letter

struct BookOptions
{
    QString title;
    Paper paper = Paper::A4;
    int columns = 2; // 1 or 2
    QDateTime filesDate; // when the dictionary's files last changed: on the title page
};

// Part one's order: by the word with its letter case folded, then by the word as written (both in
// the Unicode collation's root order, which keeps accented letters beside their base letter),
// then by entry number.
QList<DictionaryEntry> entriesByWord(const QList<DictionaryEntry> &entries);

// A headword of part two and the entries it leads to (indices into the exported entries, in
// entry order): those whose translation it is, then those that have it as a piece.
struct ChineseHeadword
{
    QString text;
    QList<qsizetype> wholeTranslation;
    QList<qsizetype> piece;
};

// Part two's headwords in pinyin order (ICU's collation of Chinese as written in China): every
// translation, and every piece exports::translationPieces finds in one.
QList<ChineseHeadword> chineseHeadwords(const exports::ExportedEntries &exported,
                                        const ConlangDictionary &dictionary);

// The whole book as a XeLaTeX source, UTF-8.
QByteArray bookSource(const exports::ExportedEntries &exported,
                      const ConlangDictionary &dictionary,
                      const BookOptions &options);

} // namespace pdfbook

#endif // PDFEXPORT_H
