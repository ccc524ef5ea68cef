// One input is five dictionary files, separated by the byte 0x1E (a missing piece is an empty
// file). The files are written to a temporary folder and loaded; then the containers must agree
// with each other and a few lookups and searches must keep their promises.

#include "ConlangDictionary.h"
#include "DictionaryFiles.h"
#include "DictionaryPromises.h"
#include "FuzzSupport.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

constexpr char fileSeparator = '\x1e';

const QTemporaryDir &scratchFolder()
{
    static const QTemporaryDir folder;
    return folder;
}

void writeFiles(const QByteArray &input)
{
    const QList<QByteArray> pieces = input.split(fileSeparator);
    const QList<QString> &names = dictionaryFileNames();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString path = scratchFolder().filePath(names[i]);
        if (!writeBytes(path, pieces.value(i)))
            brokenPromiseFound("cannot write " + path);
    }
}

bool load(ConlangDictionary &dictionary)
{
    return loadDictionaryFiles(dictionary, dictionaryFilePaths(scratchFolder().path()));
}

// Queries made of the dictionary's own texts reach the deeper search stages.
QList<QString> queriesFrom(const ConlangDictionary &dictionary)
{
    QList<QString> queries = {QStringLiteral("1"), QStringLiteral("tavu")};
    int taken = 0;
    for (const DictionaryEntry &entry : dictionary.wordIndexData()) {
        if (++taken > 3)
            break;
        queries << entry.word << entry.translation << entry.word.left(2) + u'x';
        if (!entry.phrases.isEmpty())
            queries << entry.phrases.first() << entry.phraseTranslations.first();
    }
    return queries;
}

void searchEverywhere(const ConlangDictionary &dictionary, qsizetype loadedRecords)
{
    expectKept(brokenContainerInvariant(dictionary, loadedRecords));
    const OwnedEntries owned = ownedEntries(dictionary);
    for (const QString &query : queriesFrom(dictionary)) {
        expectKept(brokenPromise(dictionary.smartSearch(query, 10), 10, owned));
        expectKept(brokenMixedQueryPromise(dictionary, query, owned));
        dictionary.lookupByWord(query);
        dictionary.lookupByExactChinese(query);
        dictionary.lookupByPartOfSpeech(query);
    }
    for (const int number : dictionary.getAllIndices()) {
        if (!dictionary.lookupByNumIndex(number))
            brokenPromiseFound(QStringLiteral("entry number %1 listed but not found").arg(number));
    }
    dictionary.printStatistics();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceDebugLog();
    if (!scratchFolder().isValid())
        brokenPromiseFound("no temporary folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    writeFiles(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    ConlangDictionary dictionary;
    forgetLastReport();
    const bool loaded = load(dictionary);
    const int reported = lastReportedRecordCount();
    if (reported < 0)
        brokenPromiseFound("the files opened but no load report was written");
    if (loaded != (reported > 0))
        brokenPromiseFound("load result disagrees with the loaded-record count");
    searchEverywhere(dictionary, reported);
    // A second load into the same dictionary must not keep anything of the first.
    forgetLastReport();
    load(dictionary);
    expectKept(brokenContainerInvariant(dictionary, lastReportedRecordCount()));
    return 0;
}
