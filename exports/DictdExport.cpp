#include "DictdExport.h"

#include "DictionaryFormat.h"

#include "Dictzip.h"

#include <algorithm>
#include <vector>

namespace dictd {

namespace {

struct IndexLine
{
    QByteArray key;
    qint64 offset = 0;
    qint64 length = 0;
};

bool keyLess(const IndexLine &a, const IndexLine &b)
{
    return std::lexicographical_compare(
        a.key.begin(), a.key.end(), b.key.begin(), b.key.end(), [](char x, char y) {
            return uchar(x) < uchar(y);
        });
}

// "n.;kiu." -> "<n., kiu.>": the converter turns each tag back into itself.
QString tagText(const QString &partOfSpeech)
{
    const QList<QString> tags = dictionaryformat::partOfSpeechTags(partOfSpeech);
    return tags.isEmpty() ? QString()
                          : QStringLiteral(" <") + tags.join(QStringLiteral(", ")) + u'>';
}

// Every character of the keys once, in the order of their UTF-8 bytes, on one line: the server
// makes its suggestions (the "lev" strategy, "perhaps you mean") by trying these characters in
// and instead of the query's, and knows no character outside ASCII without them. The keys are
// walked as UTF-8 (each lead byte says how long its character is), a character marked by its
// code point, whose order is the order of its bytes: millions of characters cost a few ms.
QByteArray alphabetOf(const QList<QByteArray> &keys)
{
    std::vector<bool> seen(0x110000);
    for (const QByteArray &key : keys) {
        for (qsizetype at = 0; at < key.size();) {
            const uchar lead = uchar(key.at(at));
            const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            char32_t c = length == 1 ? lead : lead & (0x7F >> length);
            for (int i = 1; i < length && at + i < key.size(); ++i)
                c = (c << 6) | (uchar(key.at(at + i)) & 0x3F);
            if (c < seen.size())
                seen[c] = true;
            at += length;
        }
    }
    QString alphabet;
    for (char32_t c = 0; c < seen.size(); ++c) {
        if (seen[c])
            alphabet += QString::fromUcs4(&c, 1);
    }
    return alphabet.toUtf8();
}

} // namespace

QByteArray encodeNumber(qint64 value)
{
    static constexpr char digits[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    QByteArray text;
    do {
        text.prepend(digits[value % 64]);
        value /= 64;
    } while (value > 0);
    return text;
}

QByteArray indexKey(const QString &headword)
{
    // A tab or line end would end the index line early.
    QString key = headword.toLower();
    key.replace(u'\t', u' ');
    return key.toUtf8();
}

QList<exports::Article> wordArticles(const exports::ExportedEntries &exported)
{
    QList<exports::Article> articles;
    articles.reserve(exported.entries.size());
    for (const DictionaryEntry &entry : exported.entries) {
        articles.append(
            {entry.word, {}, entry.word + tagText(entry.partOfSpeech) + u'\n' + entry.translation});
        for (qsizetype i = 0; i < entry.phrases.size(); ++i) {
            const QString &phrase = entry.phrases.at(i);
            articles.append({phrase, {}, phrase + u'\n' + entry.phraseTranslations.value(i)});
        }
    }
    return articles;
}

QList<exports::Article> withHeadLines(QList<exports::Article> articles)
{
    for (exports::Article &article : articles)
        article.text.prepend(article.headword + u'\n');
    return articles;
}

Database writeDatabase(const QString &shortName,
                       const QString &info,
                       const QList<exports::Article> &articles)
{
    QByteArray dict;
    QList<IndexLine> index;
    index.reserve(articles.size() + 4);
    const auto addArticle
        = [&](const QByteArray &key, const QByteArray &text, const QList<QByteArray> &otherKeys) {
              const qint64 offset = dict.size();
              dict += text;
              index.append({key, offset, text.size()});
              for (const QByteArray &other : otherKeys)
                  index.append({other, offset, text.size()});
          };
    const auto metadata = [&](const char *key, const QString &text) {
        addArticle(key, QByteArray(key) + "\n" + text.toUtf8() + '\n', {});
    };
    metadata("00-database-short", shortName);
    metadata("00-database-info", info);
    metadata("00-database-utf8", {});
    metadata("00-database-allchars", {});
    QList<QByteArray> keys;
    const qsizetype firstArticle = index.size();
    for (const exports::Article &article : articles) {
        QList<QByteArray> otherKeys;
        for (const QString &other : article.otherHeadwords)
            otherKeys.append(indexKey(other));
        addArticle(indexKey(article.headword), article.text.toUtf8() + '\n', otherKeys);
    }
    for (qsizetype i = firstArticle; i < index.size(); ++i)
        keys.append(index.at(i).key);
    // The server reads the alphabet from the first line of its article, which has no headword line.
    addArticle("00-database-alphabet", alphabetOf(keys) + '\n', {});
    std::stable_sort(index.begin(), index.end(), keyLess);
    Database database;
    for (const IndexLine &line : index) {
        database.index += line.key + '\t' + encodeNumber(line.offset) + '\t'
            + encodeNumber(line.length) + '\n';
    }
    database.dictDz = dictzip::compress(dict);
    return database;
}

} // namespace dictd
