#include "WeightedRatio.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

// The weighted ratio written down plainly: quadratic LCS table, every window
// tried, strings copied around freely. Slow, but easy to check by eye.
namespace plain {

using Tokens = std::vector<std::string>;

std::size_t lcs(const std::string &a, const std::string &b)
{
    std::vector<std::size_t> previous(b.size() + 1, 0), current(b.size() + 1, 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            current[j] = a[i - 1] == b[j - 1] ? previous[j - 1] + 1
                                              : std::max(previous[j], current[j - 1]);
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::size_t indel(const std::string &a, const std::string &b)
{
    return a.size() + b.size() - 2 * lcs(a, b);
}

double ratio(const std::string &a, const std::string &b)
{
    const std::size_t total = a.size() + b.size();
    if (total == 0)
        return 100.0;
    return (1.0 - double(indel(a, b)) / double(total)) * 100.0;
}

double norm(std::size_t distance, std::size_t total)
{
    return total == 0 ? 100.0 : 100.0 - 100.0 * double(distance) / double(total);
}

bool isSpace(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x09 && byte <= 0x0D) || (byte >= 0x1C && byte <= 0x20);
}

Tokens tokens(const std::string &s)
{
    Tokens result;
    std::string piece;
    for (const char c : s + ' ') {
        if (!isSpace(c)) {
            piece += c;
        } else if (!piece.empty()) {
            result.push_back(piece);
            piece.clear();
        }
    }
    std::sort(result.begin(), result.end(), [](const std::string &x, const std::string &y) {
        return std::lexicographical_compare(
            x.begin(), x.end(), y.begin(), y.end(), [](char l, char r) {
                return static_cast<signed char>(l) < static_cast<signed char>(r);
            });
    });
    return result;
}

std::string join(const Tokens &list)
{
    std::string text;
    for (std::size_t i = 0; i < list.size(); ++i)
        text += (i ? " " : "") + list[i];
    return text;
}

bool contains(const Tokens &list, const std::string &token)
{
    return std::find(list.begin(), list.end(), token) != list.end();
}

struct Decomposition
{
    Decomposition(const Tokens &ta, const Tokens &tb)
    {
        Tokens a = ta, b = tb;
        a.erase(std::unique(a.begin(), a.end()), a.end());
        b.erase(std::unique(b.begin(), b.end()), b.end());
        for (const std::string &t : a)
            (contains(b, t) ? common : aOnly).push_back(t);
        for (const std::string &t : b) {
            if (!contains(a, t))
                bOnly.push_back(t);
        }
    }
    Tokens common, aOnly, bOnly;
};

double partialOneWay(const std::string &a, const std::string &b)
{
    const std::size_t n = a.size(), m = b.size();
    double best = 0;
    for (std::size_t p = 0; m > n && p < m - n; ++p)
        best = std::max(best, (1.0 - double(indel(a, b.substr(p, n))) / double(2 * n)) * 100.0);
    for (std::size_t i = 1; i < n; ++i) {
        if (a.find(b[i - 1]) != std::string::npos)
            best = std::max(best, ratio(a, b.substr(0, i)));
    }
    for (std::size_t i = m - n; i < m; ++i) {
        if (a.find(b[i]) != std::string::npos)
            best = std::max(best, ratio(a, b.substr(i)));
    }
    return best;
}

double partialRatio(std::string a, std::string b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (a.empty() || b.empty())
        return a.empty() && b.empty() ? 100.0 : 0.0;
    double best = partialOneWay(a, b);
    if (best != 100.0 && a.size() == b.size())
        best = std::max(best, partialOneWay(b, a));
    return best;
}

double tokenRatio(const std::string &a, const std::string &b)
{
    const Tokens ta = tokens(a), tb = tokens(b);
    const Decomposition d(ta, tb);
    if (!d.common.empty() && (d.aOnly.empty() || d.bOnly.empty()))
        return 100.0;
    double r = ratio(join(ta), join(tb));
    const std::size_t s = join(d.common).size();
    const std::size_t sep = s > 0 ? 1 : 0;
    const std::size_t lab = s + sep + join(d.aOnly).size();
    const std::size_t lba = s + sep + join(d.bOnly).size();
    r = std::max(r, norm(indel(join(d.aOnly), join(d.bOnly)), lab + lba));
    if (s == 0)
        return r;
    return std::max(
        {r, norm(sep + join(d.aOnly).size(), s + lab), norm(sep + join(d.bOnly).size(), s + lba)});
}

double partialTokenRatio(const std::string &a, const std::string &b)
{
    const Tokens ta = tokens(a), tb = tokens(b);
    const Decomposition d(ta, tb);
    if (!d.common.empty())
        return 100.0;
    const double r = partialRatio(join(ta), join(tb));
    if (ta.size() == d.aOnly.size() && tb.size() == d.bOnly.size())
        return r;
    return std::max(r, partialRatio(join(d.aOnly), join(d.bOnly)));
}

double weightedRatio(const std::string &a, const std::string &b)
{
    if (a.empty() || b.empty())
        return 0.0;
    const double lr = double(std::max(a.size(), b.size())) / double(std::min(a.size(), b.size()));
    double e = ratio(a, b);
    if (lr < 1.5)
        return std::max(e, tokenRatio(a, b) * 0.95);
    const double ps = lr <= 8.0 ? 0.9 : 0.6;
    e = std::max(e, partialRatio(a, b) * ps);
    return std::max(e, partialTokenRatio(a, b) * 0.95 * ps);
}

} // namespace plain

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
    if (shape == "sorted tokens of equal length") {
        // Different raw lengths, but the sorted-token texts are equally long.
        const std::size_t length = maker.number(1, 100);
        const std::string padding(length / 2 + maker.number(1, 4), '\x1c');
        return {blankSeparated(maker, length), padding + blankSeparated(maker, length) + "\t"};
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
        QVERIFY(c.contains("s1") && c.contains("s2") && c.value("score").isDouble());
}

void TestSimilarity::matchesReferenceScores_data()
{
    QTest::addColumn<QByteArray>("s1");
    QTest::addColumn<QByteArray>("s2");
    QTest::addColumn<double>("score");

    int line = 0;
    for (const QJsonObject &c : referenceCases()) {
        ++line;
        QTest::addRow("%d %s", line, qPrintable(c.value("kind").toString()))
            << c.value("s1").toString().toUtf8() << c.value("s2").toString().toUtf8()
            << c.value("score").toDouble();
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
    add("non-ascii phrases", 19, 400);
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

QTEST_APPLESS_MAIN(TestSimilarity)
#include "tst_similarity.moc"
