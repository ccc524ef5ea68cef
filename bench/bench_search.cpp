// Times one smartSearch call per query class on generated dictionaries of 10,000, 100,000 and
// 1,000,000 entries. The search trace goes to a message handler that drops it, so only the search
// is timed. Making and loading the largest dictionary takes about 15 s; leave it out with
// --benchmark_filter=-/1000000.
//
//   bench_search [--benchmark_filter=...]

#include "ConlangDictionary.h"
#include "DictionaryGenerator.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

using dictionarygenerator::GeneratedEntry;

constexpr quint64 benchmarkSeed = 20240611;
constexpr int limit = 10;

void discardMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

struct Corpus
{
    QList<GeneratedEntry> entries;
    ConlangDictionary dictionary;
    bool loaded = false;
};

const Corpus &corpus(int size)
{
    static std::map<int, std::unique_ptr<Corpus>> corpora;
    std::unique_ptr<Corpus> &slot = corpora[size];
    if (!slot) {
        slot = std::make_unique<Corpus>();
        dictionarygenerator::GeneratorOptions options;
        options.entries = size;
        options.seed = benchmarkSeed;
        slot->entries = dictionarygenerator::generateDictionary(options);
        QTemporaryDir folder;
        if (folder.isValid()
            && dictionarygenerator::writeDictionaryFiles(folder.path(), slot->entries)) {
            const QString base = folder.path() + u'/';
            slot->loaded
                = slot->dictionary.loadDictionaryFiles(base + QStringLiteral("values.txt"),
                                                       base + QStringLiteral("keys.txt"),
                                                       base + QStringLiteral("wordtype.txt"),
                                                       base + QStringLiteral("phrases.txt"),
                                                       base + QStringLiteral("cn_phrases.txt"));
        }
    }
    return *slot;
}

// Query makers: each picks, from the middle of the dictionary on, a query of its class.
using QueryMaker = QString (*)(const Corpus &);

QString entryNumberQuery(const Corpus &c)
{
    return QString::number(c.entries.size() / 2 + 1);
}

QString exactWordQuery(const Corpus &c)
{
    for (qsizetype i = c.entries.size() / 3; i < c.entries.size(); ++i) {
        if (c.entries.at(i).word.size() >= 6)
            return c.entries.at(i).word;
    }
    return {};
}

QString phraseOnlyWordQuery(const Corpus &c)
{
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size(); ++i) {
        for (const QString &phrase : c.entries.at(i).phrases) {
            for (const QString &piece : phrase.split(u' ', Qt::SkipEmptyParts)) {
                if (dictionarygenerator::isParticle(piece))
                    return piece;
            }
        }
    }
    return {};
}

QString chineseExactQuery(const Corpus &c)
{
    return c.entries.at(c.entries.size() / 4).translation;
}

QString chinesePartialQuery(const Corpus &c)
{
    const auto &translations = c.dictionary.chineseIndexData();
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size(); ++i) {
        const QString head = c.entries.at(i).translation.left(2);
        if (head.size() == 2 && c.dictionary.isMainlyChinese(head) && !translations.contains(head))
            return head;
    }
    return {};
}

// A long word with two inner letters swapped, stored nowhere, so only the fuzzy stage finds it.
QString misspeltWordQuery(const Corpus &c)
{
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size(); ++i) {
        QString word = c.entries.at(i).word.toLower();
        if (word.size() < 6 || word.at(2) == word.at(3))
            continue;
        std::swap(word[2], word[3]);
        if (!c.dictionary.wordSetData().contains(word)
            && c.dictionary.findPhrasesContainingWord(word).isEmpty())
            return word;
    }
    return {};
}

QString phraseWithSpaceQuery(const Corpus &c)
{
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size(); ++i) {
        if (!c.entries.at(i).phrases.isEmpty())
            return c.entries.at(i).phrases.first();
    }
    return {};
}

void smartSearchQuery(benchmark::State &state, int size, QueryMaker makeQuery)
{
    const Corpus &c = corpus(size);
    if (!c.loaded) {
        state.SkipWithError("the generated dictionary did not load");
        return;
    }
    const QString query = makeQuery(c);
    if (query.isEmpty()) {
        state.SkipWithError("no query of this class in the generated dictionary");
        return;
    }
    QList<SearchResult> results;
    for (auto _ : state) {
        results = c.dictionary.smartSearch(query, limit);
        benchmark::DoNotOptimize(results);
    }
    // The label shows which kinds of match the query reached, best first.
    QStringList kinds;
    for (const SearchResult &result : results) {
        if (!kinds.contains(result.matchType))
            kinds.append(result.matchType);
    }
    state.SetLabel(QStringLiteral("\"%1\": %2 results, %3")
                       .arg(query)
                       .arg(results.size())
                       .arg(kinds.isEmpty() ? QStringLiteral("none") : kinds.join(u' '))
                       .toStdString());
}

void registerBenchmarks()
{
    const std::pair<const char *, QueryMaker> classes[] = {
        {"entry_number", &entryNumberQuery},
        {"exact_word", &exactWordQuery},
        {"word_only_in_phrases", &phraseOnlyWordQuery},
        {"chinese_exact", &chineseExactQuery},
        {"chinese_partial", &chinesePartialQuery},
        {"misspelt_word_fuzzy", &misspeltWordQuery},
        {"phrase_with_space", &phraseWithSpaceQuery},
    };
    for (int size : {10000, 100000, 1000000}) {
        for (const auto &[name, maker] : classes) {
            const std::string title
                = std::string("smartSearch/") + name + '/' + std::to_string(size);
            benchmark::RegisterBenchmark(title.c_str(), smartSearchQuery, size, maker)
                ->Unit(benchmark::kMillisecond);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(&discardMessage);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
