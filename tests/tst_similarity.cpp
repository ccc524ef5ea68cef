#include "LongPatternLcs.h"
#include "PlainWeightedRatio.h"
#include "WeightedRatio.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// Random byte strings of a few shapes, from a fixed seed.
class PairMaker
{
public:
    explicit PairMaker(unsigned seed)
        : m_random(seed)
    {
    }

    std::size_t number(std::size_t low, std::size_t high)
    {
        return std::uniform_int_distribution<std::size_t>(low, high)(m_random);
    }
    char pick(const std::string &bytes) { return bytes[number(0, bytes.size() - 1)]; }

    std::string word(const std::string &alphabet, std::size_t low, std::size_t high)
    {
        std::string text(number(low, high), '\0');
        for (char &c : text)
            c = pick(alphabet);
        return text;
    }

    // Tokens from a small vocabulary (so tokens repeat and are shared), joined by
    // runs of white space, sometimes with white space at either end.
    std::string phrase(const std::vector<std::string> &vocabulary, std::size_t maxTokens)
    {
        static const std::string spaces("\x20\x20\x20\x09\x0a\x0b\x0c\x0d\x1c\x1d\x1e\x1f", 12);
        std::string text;
        if (number(0, 4) == 0)
            text += pick(spaces);
        const std::size_t count = number(1, maxTokens);
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0)
                text += std::string(number(1, 2), pick(spaces));
            text += vocabulary[number(0, vocabulary.size() - 1)];
        }
        if (number(0, 4) == 0)
            text += pick(spaces);
        return text;
    }

private:
    std::mt19937 m_random;
};

const std::string letters = "aeiklnostuv";
// White space, its look-alikes that are not (NBSP and UTF-8 lead/continuation bytes), NUL, DEL.
const std::string mixedBytes("ab \t\x1c\x1f\xc2\xa0\xe3\x80\x80\xff\x7f\x00\x21", 16);

// Text of `length` bytes: words parted by single blanks, seldom shared by two texts.
std::string blankSeparated(PairMaker &maker, std::size_t length)
{
    std::string text = maker.word("abcabcabc ", length, length);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' && (i == 0 || i + 1 == text.size() || text[i - 1] == ' '))
            text[i] = 'c';
    }
    return text;
}

// Tokens whose sorted order (by signed bytes, a prefix first) is decided by bytes >= 0x80, by
// 0x80 against the end of a shorter token, or only after their first eight bytes.
const std::map<QByteArray, std::vector<std::string>> trickyTokens = {
    {"tokens ordered by bytes >= 0x80",
     {"a\x80", "a\x7f", "a\xff", "a\x01", "\xc3\xa9t", "et", "\xe7\x81\xabx"}},
    {"byte 0x80 against a shorter prefix", {"ab", "ab\x80", "ab\x80\x80", "ab\x81", "a", "b"}},
    {"equal first eight bytes",
     {"abcdefgh", "abcdefghi", "abcdefgh\x80", "abcdefghia", "abcdefgg", "abcdefghij\xff"}},
    {"tokens and their prefixes", {"kal", "kalo", "ka", "kalosumi", "kalosumir", "k"}},
};

std::pair<std::string, std::string> makeShapedPair(PairMaker &maker, const QByteArray &shape)
{
    if (shape == "words")
        return {maker.word(letters, 1, 12), maker.word(letters, 1, 12)};
    if (shape == "length ratios near 1.5 and 8") {
        const std::size_t n = maker.number(1, 12);
        const std::vector<std::size_t> lengths
            = {n * 3 / 2, n * 3 / 2 + 1, (n * 3 + 1) / 2 - 1, 8 * n, 8 * n + 1, 8 * n - 1};
        const std::size_t m = std::max<std::size_t>(1, lengths[maker.number(0, 5)]);
        return {maker.word("abc d", n, n), maker.word("abcd ", m, m)};
    }
    if (shape == "long strings")
        return {maker.word("abcde", 1, 150), maker.word("abcde", 1, 150)};
    if (shape == "long pattern with a foreign middle") {
        // Bytes in the middle match nothing, so carries must cross untouched words.
        const std::string pattern
            = maker.word("abc", 50, 70) + maker.word("xyz", 65, 80) + maker.word("abc", 10, 30);
        return {pattern, maker.word("abc", 1, 240)};
    }
    if (shape == "mixed bytes")
        return {maker.word(mixedBytes, 1, 150), maker.word(mixedBytes, 1, 150)};
    if (shape == "texts over 512 bytes") {
        // Patterns of nine words and more: the vector steps, in registers up to 2,048 bytes.
        const std::size_t length = maker.number(513, 2300);
        std::string first = blankSeparated(maker, length);
        std::string second = maker.number(0, 1) ? first : blankSeparated(maker, length);
        for (std::size_t edits = maker.number(0, 40); edits > 0; --edits)
            second[maker.number(0, second.size() - 1)] = maker.pick("abcd");
        return {first, second.substr(0, second.size() - maker.number(0, length / 4))};
    }
    if (shape == "sorted tokens of equal length") {
        // Different raw lengths, but the sorted-token texts are equally long.
        const std::size_t length = maker.number(1, 100);
        const std::string padding(length / 2 + maker.number(1, 4), '\x1c');
        return {blankSeparated(maker, length), padding + blankSeparated(maker, length) + "\t"};
    }

    if (shape == "long texts of similar length") {
        // Hundreds of bytes, over several words of the LCS state; the second text the first with
        // a few bytes changed (scores near 100) or another text of the same words.
        std::vector<std::string> vocabulary;
        for (int i = 0; i < 12; ++i)
            vocabulary.push_back(maker.word(letters, 1, 9));
        std::string first = maker.phrase(vocabulary, 90);
        std::string second = maker.number(0, 1) ? first : maker.phrase(vocabulary, 90);
        for (std::size_t edits = maker.number(0, 6); edits > 0 && !second.empty(); --edits)
            second[maker.number(0, second.size() - 1)] = maker.pick(letters + " ");
        if (maker.number(0, 1)) {
            // Lengths exactly 1.5 times apart, or one byte short of it.
            const std::size_t n = 2 * maker.number(33, 100);
            std::string text = first + ' ' + second;
            while (text.size() < 4 * n)
                text += ' ' + text;
            first = text.substr(0, n);
            second = text.substr(n / 2, n * 3 / 2 - maker.number(0, 1));
        }
        return {first, second};
    }

    const auto tricky = trickyTokens.find(shape);
    if (tricky != trickyTokens.end()) {
        // Single tokens too: a word against a text is looked up among its sorted tokens.
        const std::vector<std::string> &tokens = tricky->second;
        if (maker.number(0, 3) == 0)
            return {tokens[maker.number(0, tokens.size() - 1)], maker.phrase(tokens, 12)};
        return {maker.phrase(tokens, 12), maker.phrase(tokens, 12)};
    }

    std::vector<std::string> vocabulary;
    for (int i = 0; i < 5; ++i) {
        const std::string alphabet = shape == "non-ascii phrases" ? "ab\xe7\x81\xab" : letters;
        vocabulary.push_back(maker.word(alphabet, 1, 7));
    }
    if (shape == "word against phrase")
        return {vocabulary[0], maker.phrase(vocabulary, 8)};
    return {maker.phrase(vocabulary, 8), maker.phrase(vocabulary, 8)};
}

// Either string of a pair may be the query.
std::pair<std::string, std::string> makePair(PairMaker &maker, const QByteArray &shape)
{
    auto pair = makeShapedPair(maker, shape);
    if (maker.number(0, 1))
        std::swap(pair.first, pair.second);
    return pair;
}

QByteArray describe(const std::string &s)
{
    return '"' + QByteArray::fromStdString(s).toPercentEncoding(" ") + '"';
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 17);
}

// What the scorer promises about a score it has not computed, checked against the score: the
// bound is never below it and equals it when called exact, and two texts without a common kind
// of byte score 0. Empty when the promises hold.
QByteArray brokenBound(std::string_view query, std::string_view candidate, double score)
{
    const similarity::ScoreBound bound = similarity::WeightedRatioScorer(query).bound(candidate);
    if (bound.bound < score || (bound.exact && bound.bound != score))
        return "bound " + number(bound.bound) + (bound.exact ? " (exact)" : "") + " for "
            + number(score);
    if (!(similarity::byteKinds(query) & similarity::byteKinds(candidate)) && score != 0.0)
        return "no common kind of byte, but " + number(score);
    return {};
}

} // namespace

class TestSimilarity : public QObject
{
    Q_OBJECT

private slots:
    void readsAllReferenceCases();
    void matchesReferenceScores_data();
    void matchesReferenceScores();
    void matchesPlainDefinition_data();
    void matchesPlainDefinition();
    void scorerKeepsItsOwnQuery();
    void scorerCopiesAndMovesKeepScoring();
    void boundsHoldAtTheirEdges_data();
    void boundsHoldAtTheirEdges();
    void longPatternLcsAtBandEdges_data();
    void longPatternLcsAtBandEdges();
};

static QList<QJsonObject> referenceCases()
{
    QList<QJsonObject> cases;
    QFile file(QStringLiteral(VARNELL_TEST_DATA_DIR "/wratio-cases.jsonl"));
    if (!file.open(QIODevice::ReadOnly))
        return cases;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (!line.isEmpty())
            cases.append(QJsonDocument::fromJson(line).object());
    }
    return cases;
}

void TestSimilarity::readsAllReferenceCases()
{
    const QList<QJsonObject> cases = referenceCases();
    QVERIFY(cases.size() >= 4200);
    for (const QJsonObject &c : cases)
        QVERIFY(c.contains(QStringLiteral("s1")) && c.contains(QStringLiteral("s2"))
                && c.value(QStringLiteral("score")).isDouble());
}

void TestSimilarity::matchesReferenceScores_data()
{
    QTest::addColumn<QByteArray>("s1");
    QTest::addColumn<QByteArray>("s2");
    QTest::addColumn<double>("score");

    int line = 0;
    for (const QJsonObject &c : referenceCases()) {
        ++line;
        QTest::addRow("%d %s", line, qPrintable(c.value(QStringLiteral("kind")).toString()))
            << c.value(QStringLiteral("s1")).toString().toUtf8()
            << c.value(QStringLiteral("s2")).toString().toUtf8()
            << c.value(QStringLiteral("score")).toDouble();
    }
}

// Scores are compared to the last bit, not only within 1e-9: the search keeps a
// word whose score is at least its threshold, so one ulp may decide.
void TestSimilarity::matchesReferenceScores()
{
    QFETCH(QByteArray, s1);
    QFETCH(QByteArray, s2);
    QFETCH(double, score);
    const std::string_view query(s1.constData(), s1.size());
    const std::string_view candidate(s2.constData(), s2.size());

    const double oneCall = similarity::weightedRatio(query, candidate);
    const double prepared = similarity::WeightedRatioScorer(query).score(candidate);
    QVERIFY2(oneCall == score, number(oneCall));
    QVERIFY2(prepared == score, number(prepared));
    const QByteArray broken = brokenBound(query, candidate, score);
    QVERIFY2(broken.isEmpty(), broken.constData());
}

void TestSimilarity::matchesPlainDefinition_data()
{
    QTest::addColumn<QByteArray>("shape");
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("pairs");

    const auto add = [](const char *shape, unsigned seed, int pairs) {
        QTest::newRow(shape) << QByteArray(shape) << seed << pairs;
    };
    add("words", 11, 1500);
    add("length ratios near 1.5 and 8", 12, 600);
    add("long strings", 13, 250);
    add("long pattern with a foreign middle", 14, 60);
    add("mixed bytes", 15, 250);
    add("sorted tokens of equal length", 16, 300);
    add("word against phrase", 17, 600);
    add("phrases", 18, 600);
    add("long texts of similar length", 20, 300);
    add("texts over 512 bytes", 21, 40);
    add("non-ascii phrases", 19, 400);
    add("tokens ordered by bytes >= 0x80", 21, 300);
    add("byte 0x80 against a shorter prefix", 22, 300);
    add("equal first eight bytes", 23, 300);
    add("tokens and their prefixes", 24, 300);
}

void TestSimilarity::matchesPlainDefinition()
{
    QFETCH(QByteArray, shape);
    QFETCH(unsigned, seed);
    QFETCH(int, pairs);

    PairMaker maker(seed);
    for (int i = 0; i < pairs; ++i) {
        const auto [a, b] = makePair(maker, shape);
        const double expected = plain::weightedRatio(a, b);
        const double oneCall = similarity::weightedRatio(a, b);
        const double prepared = similarity::WeightedRatioScorer(a).score(b);
        if (oneCall != expected || prepared != expected) {
            const QByteArray message = describe(a) + " vs " + describe(b) + ": " + number(oneCall)
                + " (one call), " + number(prepared) + " (scorer), expected " + number(expected);
            QFAIL(message.constData());
        }
        const QByteArray broken = brokenBound(a, b, expected);
        if (!broken.isEmpty())
            QFAIL((describe(a) + " vs " + describe(b) + ": " + broken).constData());
        // Given a floor, the score is exact above it and at most the floor otherwise: floors
        // just below, at and just above the score, and far from it.
        const similarity::WeightedRatioScorer scorer(a);
        for (const double floor : {expected * (1.0 - 1e-9),
                                   expected,
                                   expected + 1e-9,
                                   expected - 5.0,
                                   expected + 5.0,
                                   0.0}) {
            const double floored = scorer.score(b, floor);
            if (expected > floor ? floored != expected : floored > floor) {
                const QByteArray message = describe(a) + " vs " + describe(b) + ": "
                    + number(floored) + " above the floor " + number(floor) + ", expected "
                    + number(expected);
                QFAIL(message.constData());
            }
        }
    }
}

void TestSimilarity::scorerKeepsItsOwnQuery()
{
    std::string query = "kalo sumi";
    const similarity::WeightedRatioScorer scorer(query);
    query.assign("xxxx xxxx");
    QVERIFY(scorer.query() == "kalo sumi");
    QCOMPARE(scorer.score("kalo"), 90.0);
}

void TestSimilarity::scorerCopiesAndMovesKeepScoring()
{
    const std::vector<std::string> candidates = {"tavu", "tauv", "kalo", "kalo sumi", "t", ""};
    auto original = std::make_unique<similarity::WeightedRatioScorer>("tauv sumi tauv");
    similarity::WeightedRatioScorer copy(*original);
    similarity::WeightedRatioScorer moved(std::move(*original));
    similarity::WeightedRatioScorer assigned("x");
    assigned = copy;
    original.reset();

    for (const std::string &candidate : candidates) {
        const double expected = plain::weightedRatio("tauv sumi tauv", candidate);
        QCOMPARE(copy.score(candidate), expected);
        QCOMPARE(moved.score(candidate), expected);
        QCOMPARE(assigned.score(candidate), expected);
    }
}

// The places where a bound changes its rule: lengths exactly 1.5 and 8 times apart and just
// beyond, a shorter string inside the longer or one byte short of it, white space of different
// kinds, and repeated tokens, which can bring the partial token ratio to 100 without the word
// occurring in the text.
void TestSimilarity::boundsHoldAtTheirEdges_data()
{
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("candidate");
    QTest::addColumn<double>("score");
    QTest::addColumn<bool>("exact");

    const auto row
        = [](const char *name, const char *query, const char *candidate, double score, bool exact) {
              QTest::newRow(name) << QByteArray(query) << QByteArray(candidate) << score << exact;
          };
    row("ratio 1.5, inside", "abcdef", "bcde", 90.0, true);
    row("ratio 1.5, not inside", "abcdef", "bcdx", 67.5, false);
    row("ratio below 1.5", "abcdefg", "bcdef", 83.333333333333343, false);
    row("ratio 8, inside", "abbbaaac", "b", 90.0, true);
    row("ratio just above 8, inside", "abbbaaacc", "b", 60.0, true);
    row("ratio between, not inside", "kalo sumi rena", "kalx", 77.142857142857153, false);
    row("ratio above 8, not inside", "kalo sumi rena tavu", "kx", 40.0, false);
    row("no byte in common", "kalo", "tuvy", 0.0, false);
    row("white space of two kinds", "ab\tcd", "xy\nz", 21.111111111111118, false);
    row("repeated tokens around a foreign word",
        "ab ab ab ab ab ab ab ab ab ab",
        "xxabxx",
        85.5,
        false);
    row("score exactly 50", "ab", "ac", 50.0, false);
}

void TestSimilarity::boundsHoldAtTheirEdges()
{
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, candidate);
    QFETCH(double, score);
    QFETCH(bool, exact);
    const std::string_view q(query.constData(), query.size());
    const std::string_view c(candidate.constData(), candidate.size());

    QCOMPARE(similarity::weightedRatio(q, c), score);
    const QByteArray broken = brokenBound(q, c, score);
    QVERIFY2(broken.isEmpty(), broken.constData());
    QCOMPARE(similarity::WeightedRatioScorer(q).bound(c).exact, exact);
}

// The LCS of a long pattern asked for at least `needed` common bytes, by the 64-bit steps and by
// the vector steps where the processor has them: the LCS itself when it reaches `needed` (the
// band is just wide enough at needed == LCS), something smaller when it does not.
void TestSimilarity::longPatternLcsAtBandEdges_data()
{
    QTest::addColumn<QByteArray>("alphabet");
    QTest::addColumn<int>("patternLength");
    QTest::addColumn<int>("textLength");
    QTest::addColumn<int>("edits"); // -1: an unrelated text

    const auto add = [](const char *name, QByteArray alphabet, int pattern, int text, int edits) {
        QTest::newRow(name) << alphabet << pattern << text << edits;
    };
    add("nine words, padded to twelve", "ab", 513, 520, -1);
    add("sixteen words, near copy", "abcdefg ", 1000, 1000, 12);
    add("sixteen words, unrelated", "abcdefg ", 1000, 990, -1);
    add("thirty-two words, near copy", "abc ", 2048, 2040, 30);
    add("beyond the registers", "abcdefg ", 2049, 2300, 25);
    add("every byte value", QByteArray(), 1200, 1100, -1);
    // The text holds no byte of the pattern's middle third: carries cross its untouched words.
    add("foreign middle", "abc|xyz", 1500, 1400, -1);
}

void TestSimilarity::longPatternLcsAtBandEdges()
{
    QFETCH(QByteArray, alphabet);
    QFETCH(int, patternLength);
    QFETCH(int, textLength);
    QFETCH(int, edits);

    const QList<QByteArray> alphabets = alphabet.split('|');
    std::string bytes = alphabets.front().toStdString();
    for (int value = 0; bytes.empty() && value < 256; ++value)
        bytes.push_back(static_cast<char>(value));
    PairMaker maker(static_cast<unsigned>(patternLength + textLength));
    std::string pattern = maker.word(bytes, patternLength, patternLength);
    const std::string middle = alphabets.back().toStdString();
    for (std::size_t i = pattern.size() / 3; !middle.empty() && i < pattern.size() * 2 / 3; ++i)
        pattern[i] = maker.pick(middle);
    std::string text = edits < 0 ? maker.word(bytes, textLength, textLength)
                                 : pattern.substr(0, std::size_t(textLength));
    text.resize(std::size_t(textLength), bytes.front());
    for (int edit = 0; edit < edits; ++edit)
        text[maker.number(0, text.size() - 1)] = maker.pick(bytes);

    const std::string broken = plain::brokenLcsAtLeast(pattern, text);
    QVERIFY2(broken.empty(), broken.c_str());
}

QTEST_APPLESS_MAIN(TestSimilarity)
#include "tst_similarity.moc"
