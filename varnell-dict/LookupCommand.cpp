// varnell-dict lookup: the window's search without the window, for scripts and batch use.

#include "Subcommands.h"

#include "ChineseVariants.h"
#include "ConlangDictionary.h"
#include "ResultCard.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

QJsonObject resultObject(const SearchResult &result)
{
    const DictionaryEntry &entry = *result.entry;
    return {{QStringLiteral("number"), entry.number},
            {QStringLiteral("word"), entry.word},
            {QStringLiteral("translation"), entry.translation},
            {QStringLiteral("partOfSpeech"), entry.partOfSpeech},
            {QStringLiteral("phrases"), QJsonArray::fromStringList(entry.phrases)},
            {QStringLiteral("phraseTranslations"),
             QJsonArray::fromStringList(entry.phraseTranslations)},
            {QStringLiteral("matchType"), result.matchType},
            {QStringLiteral("score"), result.score},
            {QStringLiteral("highlightInfo"), result.highlightInfo}};
}

// A suggestion's phrase, and its translation, where a phrase translation matched.
QJsonObject suggestionObject(const SpellingSuggestion &suggestion)
{
    const DictionaryEntry &entry = *suggestion.entry;
    return {
        {QStringLiteral("number"), entry.number},
        {QStringLiteral("word"), entry.word},
        {QStringLiteral("translation"), entry.translation},
        {QStringLiteral("kind"), suggestion.kind},
        {QStringLiteral("distance"), suggestion.distance},
        {QStringLiteral("phrase"), entry.phrases.value(suggestion.phrase)},
        {QStringLiteral("phraseTranslation"), entry.phraseTranslations.value(suggestion.phrase)}};
}

QByteArray jsonLine(const QString &query,
                    const QList<SearchResult> &results,
                    const QList<SpellingSuggestion> &suggestions)
{
    QJsonArray array;
    for (const SearchResult &result : results) {
        if (result.entry)
            array.append(resultObject(result));
    }
    QJsonArray suggested;
    for (const SpellingSuggestion &suggestion : suggestions)
        suggested.append(suggestionObject(suggestion));
    const QJsonObject object{{QStringLiteral("query"), query},
                             {QStringLiteral("results"), array},
                             {QStringLiteral("suggestions"), suggested}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Suggestions are for the one who reads them: a few, the likeliest first.
constexpr int maxSuggestions = 10;

// The card's line after its own for a query not found as typed: the likeliest word meant.
QString suggestionLine(const QList<SpellingSuggestion> &suggestions)
{
    return QStringLiteral("您要找的是不是：%1").arg(suggestions.constFirst().entry->word);
}

struct LookupSettings
{
    int limit = 10; // as the window
    bool json = false;
};

class Lookup
{
public:
    Lookup(const ConlangDictionary &dictionary, LookupSettings settings)
        : m_dictionary(dictionary)
        , m_settings(settings)
    {
    }
    Q_DISABLE_COPY_MOVE(Lookup)

    // Prints the answer to `typed`; false when nothing was found.
    bool answer(const QString &typed)
    {
        const QString query = searchedQuery(typed);
        const QList<SearchResult> results = m_dictionary.smartSearch(query, m_settings.limit);
        const QList<SpellingSuggestion> suggestions = m_dictionary.spellingSuggestions(
            query, maxSuggestions, m_variants.toSimplified(query.trimmed()));
        if (m_settings.json) {
            m_out << jsonLine(typed, results, suggestions) << '\n';
        } else {
            // A card has lines of its own; a blank line keeps one card from the next.
            if (m_answered > 0)
                m_out << '\n';
            m_out << composeResultCard(query, results, m_dictionary) << '\n';
            if (!suggestions.isEmpty())
                m_out << suggestionLine(suggestions) << '\n';
        }
        m_out.flush(); // a chat bot at the other end of a pipe waits for each answer
        ++m_answered;
        return !results.isEmpty();
    }

private:
    const ConlangDictionary &m_dictionary;
    const LookupSettings m_settings;
    // A query in traditional Chinese characters is also looked for in simplified ones.
    const chinesevariants::Converter m_variants;
    QTextStream m_out{stdout};
    int m_answered = 0;
};

} // namespace

int runLookup(const QStringList &arguments)
{
    const QString name = QStringLiteral("lookup");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Searches the dictionary for each QUERY as the window does and "
                                "prints the card the window shows. Without QUERY, reads one "
                                "query per line from standard input. Answers are reproducible: "
                                "the same dictionary and query give the same output in every "
                                "run, as results the ranking cannot tell apart (the same kind of "
                                "match and score) come in file order, the lower entry number "
                                "first. A query that is not a word, an entry number or a whole "
                                "translation of the dictionary is followed by the word most "
                                "likely meant, if any: a word a few typing slips away, or the "
                                "entry whose translation or phrase translation it is, also "
                                "when written in traditional Chinese characters."));
    const QCommandLineOption limitOption(
        QStringLiteral("limit"),
        VarnellDict::tr("Ask the search for at most N results (default: 10, as the window)."),
        VarnellDict::tr("N"),
        QStringLiteral("10"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        VarnellDict::tr("Print one JSON object per query and line, with every result and up to "
                        "ten suggestions of what the query may have meant, the likeliest first."));
    const QCommandLineOption traceOption(
        QStringLiteral("trace"),
        VarnellDict::tr("Write the window's load report and search traces to standard error."));
    parser.addOptions({limitOption, jsonOption, traceOption});
    parser.addPositionalArgument(QStringLiteral("query"),
                                 VarnellDict::tr("What to search for, as typed into the window."),
                                 VarnellDict::tr("[QUERY...]"));
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;

    LookupSettings settings;
    bool limitValid = false;
    settings.limit = parser.value(limitOption).toInt(&limitValid);
    if (!limitValid || settings.limit < 1)
        return usageError(name,
                          VarnellDict::tr("--limit needs a whole number of at least 1, not '%1'")
                              .arg(parser.value(limitOption)));
    settings.json = parser.isSet(jsonOption);

    // The load report and the search traces stay out of the output unless asked for.
    ConlangDictionary dictionary;
    if (!openDictionary(parser, dictionary, !parser.isSet(traceOption)))
        return UsageOrFileError;

    Lookup lookup(dictionary, settings);
    bool allFound = true;
    const QStringList queries = parser.positionalArguments();
    if (!queries.isEmpty()) {
        for (const QString &query : queries)
            allFound = lookup.answer(query) && allFound;
    } else {
        QTextStream in(stdin);
        QString query;
        while (in.readLineInto(&query))
            allFound = lookup.answer(query) && allFound;
    }
    return allFound ? Success : ProblemsFound;
}
