#ifndef DICTDEXPORT_H
#define DICTDEXPORT_H

#include "ExportArticles.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One database of the dictd server (the network dictionary protocol, RFC 2229): the .index
// ("key<TAB>offset<TAB>length", the numbers in dictd's base-64 digits, sorted byte by byte, keys
// lower-cased as the server lower-cases a query in a UTF-8 database) and the .dict.dz, with the
// server's 00-database-* entries: short name, information, UTF-8, all characters significant and
// the alphabet of the keys (as dictfmt --utf8 --allchars writes them), from which the server makes
// its suggestions for a word it does not have (飞航 → 飞行, safo → ŝafo).
namespace dictd {

struct Database
{
    QByteArray index, dictDz;
};

// dictd's base-64 number: A-Z a-z 0-9 + / as the digits 0 to 63, most significant first.
QByteArray encodeNumber(qint64 value);

// 禾岚 → 中文 as FreeDict writes its articles, so that `convert-freedict` reads the database back
// to the same entries: "word <tags>" and the translation for each entry, then "phrase" and its
// translation as an article of its own for each phrase (the converter files a phrase under the
// entry of its first word).
QList<exports::Article> wordArticles(const exports::ExportedEntries &exported);

// Articles as the server shows them, their headwords as their first lines.
QList<exports::Article> withHeadLines(QList<exports::Article> articles);

// The database of `articles`, whose texts are whole dictd articles; every headword and other
// headword is a key.
Database writeDatabase(const QString &shortName,
                       const QString &info,
                       const QList<exports::Article> &articles);

// The key a headword is found by.
QByteArray indexKey(const QString &headword);

} // namespace dictd

#endif // DICTDEXPORT_H
