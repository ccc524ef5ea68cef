#ifndef EXPORTARTICLES_H
#define EXPORTARTICLES_H

#include "ConlangDictionary.h"

#include <QList>
#include <QString>

// What the exports for dictionary readers and flashcards share: the entries worth exporting, in
// entry-number order, and the articles of both directions as plain text.
namespace exports {

struct ExportedEntries
{
    QList<DictionaryEntry> entries; // by entry number
    int emptyLines = 0; // line numbers below the highest that hold no entry
    int withoutTranslation = 0; // entries with no word or no translation: a reader cannot use them
};

// The loaded dictionary's entries (every line, also a word repeated on another line).
ExportedEntries exportedEntries(const ConlangDictionary &dictionary);

// One article of a dictionary for readers: the headwords that find it and its text.
struct Article
{
    QString headword;
    QList<QString> otherHeadwords; // also find the article (phrases, pieces of a translation)
    QString text;
};

// 禾岚 → 中文: one article per entry, under its word; its phrases find it too. The text: the
// part of speech, the translation, each phrase with its translation, and the example sentence
// the window shows (only when the part of speech has one).
QList<Article> wordArticles(const ExportedEntries &exported, const ConlangDictionary &dictionary);

// 中文 → 禾岚: one article per distinct translation, listing the words that have it (with their
// part of speech), each followed by its phrases with their translations, in entry order. The
// translation finds it, and so does every piece of it the window's Chinese search finds the entry
// by (the senses between "；" "，" ";" and ",", each when it is mainly Chinese), and so does the
// translation of each phrase of its entries (我飞往城市 finds the article of tavu's 飞行) where
// it is no translation or piece itself, whose own article it would hide in some readers.
QList<Article> translationArticles(const ExportedEntries &exported,
                                   const ConlangDictionary &dictionary);

// The pieces of a translation that find it, without the whole translation itself.
QList<QString> translationPieces(const QString &translation, const ConlangDictionary &dictionary);

} // namespace exports

#endif // EXPORTARTICLES_H
