#ifndef WEBDATA_H
#define WEBDATA_H

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

class ConlangDictionary;

// The web edition as `varnell-dict publish` writes it: the dictionary, every loaded record as the
// loader read it, in a classic script (pages opened from disk may fetch nothing, but they may run
// a script), and the page's own files made the dictionary's (its title, each file's version).
namespace webdata {

inline constexpr int dataFormat = 3;
inline constexpr QStringView dataFileName = u"dictionary-data.js";
// The printed book beside the page (publish --pdf), which 整本词典 then links to.
inline constexpr QStringView bookFileName = u"dictionary.pdf";
// The title the page's own index.html carries, replaced by the dictionary's when published.
inline constexpr QStringView windowTitle = u"禾岚大词典";

// What the page shows of the dictionary besides its records.
struct PageInfo
{
    QString name; // the dictionary's folder's name (dictionaryName)
    QString title; // the page's title
    bool legend = true; // whether the legend of 禾岚's parts of speech applies
    QString book; // the printed book's file beside the page (publish --pdf); empty: none
};

// The name of the dictionary in `folder`: the folder's own name, or where it is called "texts"
// (as the window's is), its parent's ("epo" for epo/texts); "texts" when there is none.
QString dictionaryName(const QString &folder);

// Whether any entry is tagged with one of the parts of speech the page's legend explains (ko.,
// kiu., koler., koos., ka., kei.): whether the dictionary is written in 禾岚's parts of speech,
// as the shipped dictionary and every edition of it are.
bool usesLegendTags(const ConlangDictionary &dictionary);

// `globalThis.varnellDictionaryData = {"format":3,"name":...,"title":...,"legend":...,
// "count":N, ...};` with the N loaded lines in line order as columns: "words", "translations" and
// "partsOfSpeech" each one text of N lines (a record's field a line); "phrases" and
// "phraseTranslations" one text of every record's phrases, a phrase a line, with
// "phraseCounts" [the count of each record's]; "skipped" [index, lines, ...] where a record's
// line is not the one after the previous record's (the lines before it since then: written out,
// entry numbers would be a fifth of the compressed size); "wordKeys" [index, key, ...] where
// lower-casing changed the word. Long strings rather than an array per record: a browser reads
// them at once, where it would build hundreds of thousands of objects. With "variants" beside
// them where OpenCC's conversion is installed: chineseVariantTables; with "pdf" the printed
// book's file where the page has one beside it.
QByteArray dataScript(const ConlangDictionary &dictionary, const PageInfo &page);

// The page's index.html as published: the title (禾岚大词典 in the page's own file) made `title`,
// and each of the files `names` (with their `contents`) that it refers to by name ("varnell.js")
// named with its version ("varnell.js?v=" and the start of its content's SHA-256), so that a
// browser fetches a republished file anew, whatever it keeps in its cache.
QByteArray indexPage(QByteArray page,
                     const QString &title,
                     const QList<QString> &names,
                     const QList<QByteArray> &contents);

// The web app manifest with the page's title as the app's name.
QByteArray manifest(const QByteArray &manifest, const QString &title);

// The tables with which the page converts a query in traditional Chinese characters to simplified
// ones for its spelling suggestions, as `lookup` converts it with OpenCC: only the keys that can
// matter for this dictionary's translations and phrase translations
// (chinesevariants::Converter::pageTables). Empty when the conversion is not installed.
QJsonObject chineseVariantTables(const ConlangDictionary &dictionary);

} // namespace webdata

#endif // WEBDATA_H
