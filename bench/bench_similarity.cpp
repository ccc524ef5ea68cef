#include "WeightedRatio.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Word-like strings: mostly consonant-vowel letters, as in a conlang vocabulary.
std::string randomWord(std::mt19937 &random, std::size_t minLength, std::size_t maxLength)
{
    static const std::string consonants = "bdghklmnprstvyz";
    static const std::string vowels = "aeiouy";
    std::uniform_int_distribution<std::size_t> length(minLength, maxLength);
    std::string word(length(random), 'a');
    for (std::size_t i = 0; i < word.size(); ++i) {
        const std::string &letters = i % 2 ? vowels : consonants;
        word[i]
            = letters[std::uniform_int_distribution<std::size_t>(0, letters.size() - 1)(random)];
    }
    return word;
}

std::vector<std::string>
randomWords(unsigned seed, std::size_t count, std::size_t minLength, std::size_t maxLength)
{
    std::mt19937 random(seed);
    std::vector<std::string> words;
    for (std::size_t i = 0; i < count; ++i)
        words.push_back(randomWord(random, minLength, maxLength));
    return words;
}

// Phrases of minLength..maxLength bytes (20..60 unless asked): words joined by blanks.
std::vector<std::string> randomPhrases(unsigned seed,
                                       std::size_t count,
                                       std::size_t minLength = 20,
                                       std::size_t maxLength = 60)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> length(minLength, maxLength);
    std::vector<std::string> phrases;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t target = length(random);
        std::string phrase;
        while (phrase.size() < target)
            phrase += (phrase.empty() ? "" : " ") + randomWord(random, 2, 9);
        phrases.push_back(phrase.substr(0, target));
    }
    return phrases;
}

const std::vector<std::string> &words()
{
    static const std::vector<std::string> list = randomWords(7, 4000, 3, 12);
    return list;
}

const std::vector<std::string> &queries()
{
    static const std::vector<std::string> list = randomWords(8, 16, 3, 12);
    return list;
}

// Each iteration prepares the next query and scores every candidate against it, as the fuzzy
// word search does with a first-letter bucket.
void scorePreparedQueries(benchmark::State &state,
                          const std::vector<std::string> &queryList,
                          const std::vector<std::string> &candidates)
{
    std::size_t next = 0;
    for (auto _ : state) {
        const similarity::WeightedRatioScorer scorer(queryList[next++ % queryList.size()]);
        double total = 0;
        for (const std::string &candidate : candidates)
            total += scorer.score(candidate);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * candidates.size());
}

// One prepared query against a bucket of words.
void preparedScorerOnWords(benchmark::State &state)
{
    scorePreparedQueries(state, queries(), words());
}
BENCHMARK(preparedScorerOnWords);

// The same pairs through the one-call function.
void oneCallOnWords(benchmark::State &state)
{
    const std::vector<std::string> &candidates = words();
    std::size_t next = 0;
    for (auto _ : state) {
        const std::string &query = queries()[next++ % queries().size()];
        double total = 0;
        for (const std::string &candidate : candidates)
            total += similarity::weightedRatio(query, candidate);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * candidates.size());
}
BENCHMARK(oneCallOnWords);

// Phrase-length strings against each other.
void preparedScorerOnPhrases(benchmark::State &state)
{
    static const std::vector<std::string> candidates = randomPhrases(9, 1000);
    static const std::vector<std::string> phraseQueries = randomPhrases(10, 16);
    scorePreparedQueries(state, phraseQueries, candidates);
}
BENCHMARK(preparedScorerOnPhrases);

// A word query against phrase-length candidates (a word typed while phrases are listed).
void preparedWordScorerOnPhrases(benchmark::State &state)
{
    static const std::vector<std::string> candidates = randomPhrases(11, 1000);
    scorePreparedQueries(state, queries(), candidates);
}
BENCHMARK(preparedWordScorerOnPhrases);

// A phrase query against a bucket of words (a phrase typed that matched nothing else).
void preparedPhraseScorerOnWords(benchmark::State &state)
{
    static const std::vector<std::string> phraseQueries = randomPhrases(12, 16);
    scorePreparedQueries(state, phraseQueries, words());
}
BENCHMARK(preparedPhraseScorerOnWords);

// Two long texts through the one-call function: 16 pairs of the given lengths in bytes.
void oneCallOnLongTexts(benchmark::State &state)
{
    const auto firstLength = std::size_t(state.range(0));
    const auto secondLength = std::size_t(state.range(1));
    const std::vector<std::string> first = randomPhrases(13, 16, firstLength, firstLength);
    const std::vector<std::string> second = randomPhrases(14, 16, secondLength, secondLength);
    for (auto _ : state) {
        double total = 0;
        for (std::size_t i = 0; i < first.size(); ++i)
            total += similarity::weightedRatio(first[i], second[i]);
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * first.size());
}
BENCHMARK(oneCallOnLongTexts)
    ->Args({100, 300})
    ->Args({300, 1000})
    ->Args({64, 2000})
    ->Args({1000, 1000})
    ->Args({2000, 2000});

// A pasted text (300 or 1000 bytes) prepared once and scored against a bucket of words.
void preparedLongTextScorerOnWords(benchmark::State &state)
{
    const auto length = std::size_t(state.range(0));
    const std::vector<std::string> textQueries = randomPhrases(15, 4, length, length);
    scorePreparedQueries(state, textQueries, words());
}
BENCHMARK(preparedLongTextScorerOnWords)->Arg(300)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
