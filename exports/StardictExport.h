#ifndef STARDICTEXPORT_H
#define STARDICTEXPORT_H

#include "ExportArticles.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// One dictionary in StarDict's format, the one most dictionary readers open (desktop programs,
// e-reader software, phone apps): the .ifo (what the dictionary is), the .idx (each headword with
// its article's place in the .dict), the .dict.dz (the articles as plain text, sametypesequence=m,
// dictzip-compressed so a reader can seek) and the .syn (further headwords that lead to an
// article), all UTF-8.
namespace stardict {

// The longest headword in bytes the format allows (its readers keep a headword in 256 bytes with
// its NUL; a verifier calls a longer one broken).
inline constexpr int maxHeadwordBytes = 255;

struct Book
{
    QByteArray ifo, idx, dictDz, syn; // syn is empty when no article has further headwords
    int wordCount = 0;
    int synonymCount = 0;
    int shortenedHeadwords = 0; // cut to maxHeadwordBytes at a character's beginning
};

// StarDict's own order of headwords, which readers rely on for their binary search: ASCII letters
// compared without case (g_ascii_strcasecmp), ties broken byte by byte (strcmp).
bool headwordLess(QByteArrayView a, QByteArrayView b);

// The book named `bookname` (shown by readers and chosen with their dictionary lists). A headword
// or further headword longer than maxHeadwordBytes is shortened to its longest beginning that
// fits, ending before a character, and counted.
Book writeBook(const QString &bookname, const QList<exports::Article> &articles);

// The .dict.dz's uncompressed form, for tests that read an article back.
QByteArray uncompressedDict(const QList<exports::Article> &articles);

} // namespace stardict

#endif // STARDICTEXPORT_H
