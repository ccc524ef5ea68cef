// The input is one query against a fixed generated dictionary: the first byte chooses how the
// rest is read (UTF-8, or raw UTF-16 units so that lone surrogates get through). Every answer
// must name each entry at most once, in ranking order, within its limit, pointing into the
// dictionary; the result card must be composed from it without trouble; the fuzzy search must
// give what scoring every candidate gives, and the spelling suggestions what aligning the query
// with every word gives.

#include "ConlangDictionary.h"
#include "DictionaryFormat.h"
#include "DictionaryGenerator.h"
#include "DictionaryPromises.h"
#include "FuzzSupport.h"
#include "ResultCard.h"
#include "WeightedRatio.h"

#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct FixedDictionary
{
    ConlangDictionary dictionary;
    OwnedEntries owned;
};

std::unique_ptr<FixedDictionary> loadFixedDictionary()
{
    dictionarygenerator::GeneratorOptions options;
    options.entries = 600;
    options.seed = 20240611;
    options.capitalisedShare = 0.05;
    options.repeatedWordShare = 0.03;
    options.blankLineShare = 0.01;
    options.oddPhraseShare = 0.1;
    const QTemporaryDir folder;
    auto fixed = std::make_unique<FixedDictionary>();
    if (!folder.isValid()
        || !dictionarygenerator::writeDictionaryFiles(
            folder.path(), dictionarygenerator::generateDictionary(options))
        || !dictionaryformat::loadFolder(fixed->dictionary, folder.path()))
        brokenPromiseFound("the fixed dictionary did not load");
    fixed->owned = ownedEntries(fixed->dictionary);
    return fixed;
}

const FixedDictionary &fixedDictionary()
{
    static const std::unique_ptr<FixedDictionary> fixed = loadFixedDictionary();
    return *fixed;
}

QString queryFrom(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return {};
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    if (data[0] & 1)
        return QString(reinterpret_cast<const QChar *>(bytes), length / 2);
    return QString::fromUtf8(bytes, length);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceDebugLog();
    fixedDictionary();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const FixedDictionary &fixed = fixedDictionary();
    const ConlangDictionary &dictionary = fixed.dictionary;
    const QString query = queryFrom(data, size);
    for (const int limit : {1, 10, 20}) {
        const QList<SearchResult> results = dictionary.smartSearch(query, limit);
        expectKept(brokenPromise(results, limit, fixed.owned));
        if (limit == 10)
            composeResultCard(query, results, dictionary);
    }
    expectKept(brokenMixedQueryPromise(dictionary, query, fixed.owned));
    for (const int limit : {1, 10})
        expectKept(brokenSuggestionPromise(dictionary, query, limit, fixed.owned));
    expectKept(brokenFuzzyPromise(dictionary, query, 10, 60.0));
    // The bounds that spare most scoring leave the answer as scoring every candidate gives it.
    for (const int limit : {1, 10}) {
        if (dictionary.fuzzyWordSearch(query, limit, 50.0)
            != everyCandidateScored(
                dictionary, query, limit, 50.0, [](const std::string &a, const std::string &b) {
                    return similarity::weightedRatio(a, b);
                }))
            brokenPromiseFound("the fuzzy search differs from scoring every candidate");
    }
    return 0;
}
