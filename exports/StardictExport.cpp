#include "StardictExport.h"

#include "Dictzip.h"

#include <QtEndian>

#include <algorithm>
#include <numeric>

namespace stardict {

namespace {

struct IndexEntry
{
    QByteArray headword;
    quint32 offset = 0;
    quint32 size = 0;
};

struct Synonym
{
    QByteArray headword;
    qsizetype article = 0; // position in the articles, until the .idx is sorted
};

// A headword is one NUL-terminated string in the .idx and .syn; NUL inside it would cut it. One
// longer than the readers' limit is cut to it before the character that would cross it (so that
// it still finds its article by its beginning); *shortened counts those.
QByteArray headwordBytes(const QString &headword, int *shortened)
{
    QByteArray bytes = headword.toUtf8();
    bytes.replace('\0', "");
    if (bytes.size() > maxHeadwordBytes) {
        qsizetype end = maxHeadwordBytes;
        while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
            --end; // a continuation byte: the character began before it
        bytes.truncate(end);
        ++*shortened;
    }
    return bytes;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

void appendBigEndian32(QByteArray *bytes, quint32 value)
{
    char buffer[4];
    qToBigEndian(value, buffer);
    bytes->append(buffer, 4);
}

} // namespace

bool headwordLess(QByteArrayView a, QByteArrayView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const uchar x = uchar(asciiLower(a[i]));
        const uchar y = uchar(asciiLower(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return uchar(x) < uchar(y); });
}

QByteArray uncompressedDict(const QList<exports::Article> &articles)
{
    QByteArray dict;
    for (const exports::Article &article : articles)
        dict += article.text.toUtf8();
    return dict;
}

Book writeBook(const QString &bookname, const QList<exports::Article> &articles)
{
    Book book;
    QByteArray dict;
    QList<IndexEntry> index;
    QList<Synonym> synonyms;
    index.reserve(articles.size());
    for (qsizetype i = 0; i < articles.size(); ++i) {
        const exports::Article &article = articles.at(i);
        const QByteArray text = article.text.toUtf8();
        index.append({headwordBytes(article.headword, &book.shortenedHeadwords),
                      quint32(dict.size()),
                      quint32(text.size())});
        dict += text;
        for (const QString &other : article.otherHeadwords)
            synonyms.append({headwordBytes(other, &book.shortenedHeadwords), i});
    }

    // Sort positions, not entries, so that the synonyms can follow their articles.
    QList<qsizetype> order(index.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return headwordLess(index.at(a).headword, index.at(b).headword);
    });
    QList<quint32> sortedPosition(index.size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        const IndexEntry &entry = index.at(order.at(i));
        sortedPosition[order.at(i)] = quint32(i);
        book.idx += entry.headword;
        book.idx += '\0';
        appendBigEndian32(&book.idx, entry.offset);
        appendBigEndian32(&book.idx, entry.size);
    }
    std::stable_sort(synonyms.begin(), synonyms.end(), [](const Synonym &a, const Synonym &b) {
        return headwordLess(a.headword, b.headword);
    });
    for (const Synonym &synonym : synonyms) {
        book.syn += synonym.headword;
        book.syn += '\0';
        appendBigEndian32(&book.syn, sortedPosition.at(synonym.article));
    }
    book.wordCount = int(index.size());
    book.synonymCount = int(synonyms.size());
    book.dictDz = dictzip::compress(dict);

    // A bookname is one line of the .ifo.
    QString name = bookname;
    name.replace(u'\n', u' ').replace(u'\r', u' ');
    book.ifo = "StarDict's dict ifo file\nversion=2.4.2\nbookname=" + name.toUtf8()
        + "\nwordcount=" + QByteArray::number(book.wordCount);
    if (book.synonymCount > 0)
        book.ifo += "\nsynwordcount=" + QByteArray::number(book.synonymCount);
    book.ifo += "\nidxfilesize=" + QByteArray::number(book.idx.size()) + "\nsametypesequence=m\n";
    return book;
}

} // namespace stardict
