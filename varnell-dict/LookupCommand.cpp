// varnell-dict lookup: the window's search without the window, for scripts and batch use.

#include "Subcommands.h"

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

QByteArray jsonLine(const QString &query, const QList<SearchResult> &results)
{
    QJsonArray array;
    for (const SearchResult &result : results) {
        if (result.entry)
            array.append(resultObject(result));
    }
    const QJsonObject object{{QStringLiteral("query"), query}, {QStringLiteral("results"), array}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
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

    // Prints the answer to `typed`; false when nothing was found.
    bool answer(const QString &typed)
    {
        const QString query = searchedQuery(typed);
        const QList<SearchResult> results = m_dictionary.smartSearch(query, m_settings.limit);
        if (m_settings.json) {
            m_out << jsonLine(typed, results) << '\n';
        } else {
            // A card has lines of its own; a blank line keeps one card from the next.
            if (m_answered > 0)
                m_out << '\n';
            m_out << composeResultCard(query, results, m_dictionary) << '\n';
        }
        m_out.flush(); // a chat bot at the other end of a pipe waits for each answer
        ++m_answered;
        return !results.isEmpty();
    }

private:
    const ConlangDictionary &m_dictionary;
    const LookupSettings m_settings;
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
                                "first."));
    const QCommandLineOption limitOption(
        QStringLiteral("limit"),
        VarnellDict::tr("Ask the search for at most N results (default: 10, as the window)."),
        VarnellDict::tr("N"),
        QStringLiteral("10"));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        VarnellDict::tr("Print one JSON object per query and line, with every result."));
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
