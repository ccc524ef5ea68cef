// Times one smartSearch call per query class on generated dictionaries of 10,000, 100,000 and
// 1,000,000 entries, and on a real dictionary when VARNELL_REAL_DICTIONARY names a folder with its
// five files (size label "real"); and one spellingSuggestions call per class of the queries it
// answers (spellingSuggestions/...). The search trace goes to a message handler that drops it, so
// only the search is timed. Making and loading the largest dictionary takes about 15 s; leave it
// out with --benchmark_filter=-/1000000.
//
//   [VARNELL_REAL_DICTIONARY=<folder>] bench_search [--benchmark_filter=...]

#include "ConlangDictionary.h"
#include "DictionaryFormat.h"
#include "DictionaryGenerator.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
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

constexpr int realDictionary = 0;

bool loadFolder(const QString &folder, ConlangDictionary &dictionary)
{
    return dictionaryformat::loadFolder(dictionary, folder);
}

// The loaded records in line order, in the generator's shape, so the query makers serve both.
QList<GeneratedEntry> recordsOf(const ConlangDictionary &dictionary)
{
    QList<int> numbers = dictionary.getAllIndices();
    std::sort(numbers.begin(), numbers.end());
    QList<GeneratedEntry> entries;
    for (int number : numbers) {
        const DictionaryEntry *entry = dictionary.lookupByNumIndex(number);
        entries.append({entry->word,
                        entry->translation,
                        entry->partOfSpeech,
                        entry->phrases,
                        entry->phraseTranslations});
    }
    return entries;
}

// `size` entries generated, or the real dictionary for size 0.
const Corpus &corpus(int size)
{
    static std::map<int, std::unique_ptr<Corpus>> corpora;
    std::unique_ptr<Corpus> &slot = corpora[size];
    if (slot)
        return *slot;
    slot = std::make_unique<Corpus>();
    if (size == realDictionary) {
        slot->loaded
            = loadFolder(qEnvironmentVariable("VARNELL_REAL_DICTIONARY"), slot->dictionary);
        slot->entries = recordsOf(slot->dictionary);
        return *slot;
    }
    dictionarygenerator::GeneratorOptions options;
    options.entries = size;
    options.seed = benchmarkSeed;
    slot->entries = dictionarygenerator::generateDictionary(options);
    QTemporaryDir folder;
    slot->loaded = folder.isValid()
        && dictionarygenerator::writeDictionaryFiles(folder.path(), slot->entries)
        && loadFolder(folder.path(), slot->dictionary);
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
                if (!c.dictionary.wordSetData().contains(piece.toLower()))
                    return piece;
            }
        }
    }
    return {};
}

QString translationExactQuery(const Corpus &c)
{
    return c.entries.at(c.entries.size() / 4).translation;
}

// Part of a translation: two Chinese characters, or one word of a translation in letters, that
// is neither a whole translation nor a word.
QString translationPartQuery(const Corpus &c)
{
    const auto &translations = c.dictionary.chineseIndexData();
    const auto isPart = [&](const QString &part) {
        return !translations.contains(part) && !c.dictionary.wordSetData().contains(part.toLower());
    };
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size(); ++i) {
        const QString &translation = c.entries.at(i).translation;
        const QString head = translation.left(2);
        if (head.size() == 2 && c.dictionary.isMainlyChinese(head) && isPart(head))
            return head;
        static const QRegularExpression nonLetters(QStringLiteral("\\W+"));
        const QStringList words = translation.split(nonLetters, Qt::SkipEmptyParts);
        if (words.size() > 1 && words.first().size() >= 4 && isPart(words.first()))
            return words.first();
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

// A letter that starts no word key, or an empty text when every letter a-z starts one.
QString letterStartingNoWord(const Corpus &c)
{
    for (char16_t letter = u'q'; letter != u'p'; letter = letter == u'z' ? u'a' : letter + 1) {
        if (!c.dictionary.letterIndexData().contains(QChar(letter)))
            return QString(QChar(letter));
    }
    return {};
}

// Chinese characters of the dictionary's own translations put together so that no translation
// contains them (the last characters of translations, joined back to front).
QString chineseFoundNowhereQuery(const Corpus &c)
{
    QString text;
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size() && text.size() < 4; ++i) {
        const QString &translation = c.entries.at(i).translation;
        if (!translation.isEmpty() && c.dictionary.isMainlyChinese(translation.right(1)))
            text.prepend(translation.right(1));
        if (text.size() >= 2 && c.dictionary.searchChineseDynamic(text).isEmpty())
            return text;
    }
    return {};
}

// The dictionary's phrases one after another, as a user pastes a text in the language, cut to
// `length` characters (the last one not a blank).
QString pastedText(const Corpus &c, qsizetype length)
{
    QString text;
    for (qsizetype i = 0; i < c.entries.size() && text.size() <= length; ++i) {
        for (const QString &phrase :
             c.entries.at((c.entries.size() / 2 + i) % c.entries.size()).phrases)
            text += phrase.trimmed() + QLatin1String(text.size() % 3 ? " " : ", ");
    }
    if (text.size() < length)
        return {};
    text.truncate(length);
    if (text.back() == u' ' || text.back() == u',')
        text.back() = u'a';
    return text;
}

QString letterStartingNoWordQuery(const Corpus &c)
{
    return letterStartingNoWord(c);
}

template<qsizetype length> QString textAfterLetterStartingNoWord(const Corpus &c)
{
    const QString letter = letterStartingNoWord(c);
    return letter.isEmpty() ? QString() : letter + pastedText(c, length - 1);
}

QString pasted1000WordLetterQuery(const Corpus &c)
{
    return pastedText(c, 1000);
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
    const QString shown
        = query.size() > 24 ? query.left(20) + QStringLiteral("… (%1)").arg(query.size()) : query;
    state.SetLabel(QStringLiteral("\"%1\": %2 results, %3")
                       .arg(shown)
                       .arg(results.size())
                       .arg(kinds.isEmpty() ? QStringLiteral("none") : kinds.join(u' '))
                       .toStdString());
}

// A query for the spelling suggestions, and the simplified form a caller would pass with it.
struct SuggestionQuery
{
    QString query;
    QString simplified;
};
using SuggestionQueryMaker = SuggestionQuery (*)(const Corpus &);

// A word of at least `length` letters from the middle of the dictionary on with a typo made by
// `misspell`, stored nowhere.
template<typename Misspell>
SuggestionQuery misspeltWord(const Corpus &c, qsizetype length, Misspell misspell)
{
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size(); ++i) {
        const QString word = misspell(c.entries.at(i).word.toLower());
        if (c.entries.at(i).word.size() >= length && !word.isEmpty()
            && !c.dictionary.wordSetData().contains(word))
            return {word, word};
    }
    return {};
}

SuggestionQuery swappedLetters(const Corpus &c)
{
    return misspeltWord(c, 6, [](QString word) {
        std::swap(word[2], word[3]);
        return word;
    });
}

// The first three letters of a longer word: many words lie within two edits.
SuggestionQuery threeLetters(const Corpus &c)
{
    return misspeltWord(c, 4, [](const QString &word) { return word.left(3); });
}

// Nine letters and more: three edits allowed.
SuggestionQuery nineLettersWithLetterAdded(const Corpus &c)
{
    return misspeltWord(c, 8, [](QString word) { return word.insert(3, u'x'); });
}

template<qsizetype length> SuggestionQuery pastedSuggestionQuery(const Corpus &c)
{
    const QString text = pastedText(c, length);
    return {text, text};
}

SuggestionQuery phraseTranslationQuery(const Corpus &c)
{
    for (qsizetype i = c.entries.size() / 2; i < c.entries.size(); ++i) {
        const QString &translation = c.entries.at(i).phraseTranslations.value(0);
        if (!translation.isEmpty() && !c.dictionary.chineseIndexData().contains(translation))
            return {translation, translation};
    }
    return {};
}

// Chinese text in many translations and phrase translations, as if typed in other characters:
// every text is swept for it.
SuggestionQuery simplifiedPartQuery(const Corpus &c)
{
    const QString part = translationPartQuery(c);
    return {QStringLiteral("〇") + part, part};
}

SuggestionQuery chineseFoundNowhereSuggestionQuery(const Corpus &c)
{
    const QString text = chineseFoundNowhereQuery(c);
    return {text, text};
}

void suggestionsQuery(benchmark::State &state, int size, SuggestionQueryMaker makeQuery)
{
    const Corpus &c = corpus(size);
    if (!c.loaded) {
        state.SkipWithError("the generated dictionary did not load");
        return;
    }
    const SuggestionQuery query = makeQuery(c);
    if (query.query.isEmpty()) {
        state.SkipWithError("no query of this class in the dictionary");
        return;
    }
    QList<SpellingSuggestion> suggestions;
    for (auto _ : state) {
        suggestions = c.dictionary.spellingSuggestions(query.query, limit, query.simplified);
        benchmark::DoNotOptimize(suggestions);
    }
    const QString shown = query.query.size() > 24
        ? query.query.left(20) + QStringLiteral("… (%1)").arg(query.query.size())
        : query.query;
    state.SetLabel(
        QStringLiteral("\"%1\": %2 suggestions, first %3")
            .arg(shown)
            .arg(suggestions.size())
            .arg(suggestions.isEmpty() ? QStringLiteral("none") : suggestions.first().entry->word)
            .toStdString());
}

void registerBenchmarks()
{
    const std::pair<const char *, QueryMaker> classes[] = {
        {"entry_number", &entryNumberQuery},
        {"exact_word", &exactWordQuery},
        {"word_only_in_phrases", &phraseOnlyWordQuery},
        {"translation_exact", &translationExactQuery},
        {"translation_part", &translationPartQuery},
        {"misspelt_word_fuzzy", &misspeltWordQuery},
        {"phrase_with_space", &phraseWithSpaceQuery},
        {"chinese_found_nowhere", &chineseFoundNowhereQuery},
        {"letter_starting_no_word", &letterStartingNoWordQuery},
        {"text46_letter_starting_no_word", &textAfterLetterStartingNoWord<46>},
        {"text300_letter_starting_no_word", &textAfterLetterStartingNoWord<300>},
        {"text1000_letter_starting_no_word", &textAfterLetterStartingNoWord<1000>},
        {"text1000_letter_starting_words", &pasted1000WordLetterQuery},
    };
    QList<int> sizes = {10000, 100000, 1000000};
    if (qEnvironmentVariableIsSet("VARNELL_REAL_DICTIONARY"))
        sizes.append(realDictionary);
    const std::pair<const char *, SuggestionQueryMaker> suggestionClasses[] = {
        {"swapped_letters", &swappedLetters},
        {"three_letters", &threeLetters},
        {"nine_letters", &nineLettersWithLetterAdded},
        {"phrase_translation", &phraseTranslationQuery},
        {"chinese_found_nowhere", &chineseFoundNowhereSuggestionQuery},
        {"simplified_translation_part", &simplifiedPartQuery},
        {"text46", &pastedSuggestionQuery<46>},
        {"text1000", &pastedSuggestionQuery<1000>},
    };
    for (int size : sizes) {
        for (const auto &[name, maker] : suggestionClasses) {
            const std::string title = std::string("spellingSuggestions/") + name + '/'
                + (size == realDictionary ? std::string("real") : std::to_string(size));
            benchmark::RegisterBenchmark(title.c_str(), suggestionsQuery, size, maker)
                ->MeasureProcessCPUTime()
                ->Unit(benchmark::kMillisecond);
        }
        for (const auto &[name, maker] : classes) {
            const std::string title = std::string("smartSearch/") + name + '/'
                + (size == realDictionary ? std::string("real") : std::to_string(size));
            // The CPU time of the whole process: a large vocabulary is searched on two threads.
            benchmark::RegisterBenchmark(title.c_str(), smartSearchQuery, size, maker)
                ->MeasureProcessCPUTime()
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
