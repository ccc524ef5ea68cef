#ifndef WEBDATA_H
#define WEBDATA_H

#include <QByteArray>
#include <QJsonObject>
#include <QString>

class ConlangDictionary;

// The dictionary as the web edition reads it: every loaded record, as the loader read it, in a
// classic script (pages opened from disk may fetch nothing, but they may run a script).
namespace webdata {

inline constexpr int dataFormat = 2;
inline constexpr QStringView dataFileName = u"dictionary-data.js";

// The name the page shows: the folder's parent's name ("epo" for epo/texts), else "texts".
QString dictionaryName(const QString &folder);

// `globalThis.varnellDictionaryData = {"format":2,"name":...,"records":[...]};` with one record
// [skipped, word, translation, partOfSpeech, [phrases], [phraseTranslations], wordKey?] per
// loaded line in line order: `skipped` counts the lines before it since the previous record (so
// its entry number is the previous one + 1 + skipped; mostly 0, where written-out numbers would
// be a fifth of the compressed size); the word key only where lower-casing changed the word.
// With "variants" beside the records where OpenCC's conversion is installed: chineseVariantTables.
QByteArray dataScript(const ConlangDictionary &dictionary, const QString &name);

// The tables with which the page converts a query in traditional Chinese characters to simplified
// ones for its spelling suggestions, as `lookup` converts it with OpenCC: only the keys that can
// matter for this dictionary's translations and phrase translations
// (chinesevariants::Converter::pageTables). Empty when the conversion is not installed.
QJsonObject chineseVariantTables(const ConlangDictionary &dictionary);

} // namespace webdata

#endif // WEBDATA_H
