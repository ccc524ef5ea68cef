#ifndef WEBDATA_H
#define WEBDATA_H

#include <QByteArray>
#include <QString>

class ConlangDictionary;

// The dictionary as the web edition reads it: every loaded record, as the loader read it, in a
// classic script (pages opened from disk may fetch nothing, but they may run a script).
namespace webdata {

inline constexpr int dataFormat = 2;
inline constexpr QStringView dataFileName = u"dictionary-data.js";
// The printed book beside the page (publish --pdf), which 整本词典 then links to.
inline constexpr QStringView bookFileName = u"dictionary.pdf";

// The name the page shows: the folder's parent's name ("epo" for epo/texts), else "texts".
QString dictionaryName(const QString &folder);

// `globalThis.varnellDictionaryData = {"format":2,"name":...,"records":[...]};` with one record
// [skipped, word, translation, partOfSpeech, [phrases], [phraseTranslations], wordKey?] per
// loaded line in line order: `skipped` counts the lines before it since the previous record (so
// its entry number is the previous one + 1 + skipped; mostly 0, where written-out numbers would
// be a fifth of the compressed size); the word key only where lower-casing changed the word.
QByteArray dataScript(const ConlangDictionary &dictionary, const QString &name);
// The same, saying that the printed book `bookFile` lies beside the page ("pdf":bookFile).
QByteArray
dataScript(const ConlangDictionary &dictionary, const QString &name, const QString &bookFile);

} // namespace webdata

#endif // WEBDATA_H
