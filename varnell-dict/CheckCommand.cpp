// varnell-dict check: every problem of the dictionary files, with file and line, GNU style.

#include "Subcommands.h"

#include "DictionaryCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

namespace {

using dictionarycheck::Finding;
using dictionarycheck::Severity;

QString severityName(Severity severity)
{
    // Not translated: editors and CI recognise these words.
    return severity == Severity::Error ? QStringLiteral("error") : QStringLiteral("warning");
}

// "PATH:LINE: error: MESSAGE", or "PATH: error: MESSAGE" for a whole file.
QString findingLine(const QString &path, const Finding &finding)
{
    const QString place = finding.line > 0 ? path + u':' + QString::number(finding.line) : path;
    return place + QStringLiteral(": ") + severityName(finding.severity) + QStringLiteral(": ")
        + finding.message;
}

QByteArray findingJson(const QString &path, const Finding &finding)
{
    QJsonObject object{
        {QStringLiteral("file"), path},
        {QStringLiteral("line"), finding.line > 0 ? QJsonValue(finding.line) : QJsonValue()},
        {QStringLiteral("severity"), severityName(finding.severity)},
        {QStringLiteral("code"), finding.code},
        {QStringLiteral("message"), finding.message}};
    if (finding.consequences > 0)
        object.insert(QStringLiteral("consequences"), finding.consequences);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString placeOf(const QString &folder, const Finding &finding)
{
    const QString path = QDir::cleanPath(dictionaryformat::filePath(folder, finding.file));
    return finding.line > 0 ? path + u':' + QString::number(finding.line) : path;
}

// The findings of one code: how many, and the first of them.
struct CodeCount
{
    QString code;
    Severity severity = Severity::Error;
    int count = 0;
    Finding first;
};

QList<CodeCount> countByCode(const QList<Finding> &findings)
{
    QList<CodeCount> counts;
    for (const Finding &finding : findings) {
        auto known = std::find_if(counts.begin(), counts.end(), [&](const CodeCount &count) {
            return count.code == finding.code;
        });
        if (known == counts.end())
            counts.append({finding.code, finding.severity, 1, finding});
        else
            ++known->count;
    }
    return counts;
}

// After the findings: per code how many and where the first is, so that a dictionary with
// thousands of findings can be read from its end.
void printSummary(QTextStream &out,
                  const QString &folder,
                  const dictionarycheck::Report &report,
                  qsizetype notShown,
                  bool json)
{
    const QList<CodeCount> counts = countByCode(report.findings);
    if (json) {
        QJsonArray codes;
        for (const CodeCount &count : counts) {
            codes.append(QJsonObject{{QStringLiteral("code"), count.code},
                                     {QStringLiteral("severity"), severityName(count.severity)},
                                     {QStringLiteral("count"), count.count},
                                     {QStringLiteral("first"), placeOf(folder, count.first)}});
        }
        const QJsonObject summary{{QStringLiteral("errors"), report.errors()},
                                  {QStringLiteral("warnings"), report.warnings()},
                                  {QStringLiteral("entries"), report.entries},
                                  {QStringLiteral("notShown"), qint64(notShown)},
                                  {QStringLiteral("codes"), codes}};
        out << QJsonDocument(QJsonObject{{QStringLiteral("summary"), summary}})
                   .toJson(QJsonDocument::Compact)
            << '\n';
        return;
    }
    if (notShown > 0)
        out << VarnellDict::tr("... and %1 more findings (--max)").arg(notShown) << '\n';
    for (const CodeCount &count : counts) {
        out << VarnellDict::tr("%1 %2: %3, the first at %4")
                   .arg(severityName(count.severity), count.code)
                   .arg(count.count)
                   .arg(placeOf(folder, count.first))
            << '\n';
    }
    out << VarnellDict::tr("%1 errors, %2 warnings, %3 entries")
               .arg(report.errors())
               .arg(report.warnings())
               .arg(report.entries)
        << '\n';
}

QList<QString> tagList(const QString &text)
{
    QList<QString> tags;
    for (const QString &tag :
         text.split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts))
        tags.append(tag.toLower());
    return tags;
}

} // namespace

int runCheck(const QStringList &arguments)
{
    const QString name = QStringLiteral("check");
    QCommandLineParser parser;
    startParser(parser,
                VarnellDict::tr("Reports every problem of the dictionary files as "
                                "PATH:LINE: error: MESSAGE or PATH:LINE: warning: MESSAGE, then "
                                "per code how many and the first, then one summary line. Where "
                                "the files stop lining up, that finding comes first and the "
                                "findings about the lines after it that follow from it are "
                                "counted under it. Exits with 1 when there is an error."));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        VarnellDict::tr("Print one JSON object per finding and line (file, line, severity, code, "
                        "message) instead, and last one object {\"summary\": {errors, warnings, "
                        "entries, notShown, codes}}."));
    const QCommandLineOption strictOption(QStringLiteral("strict"),
                                          VarnellDict::tr("Exit with 1 on a warning too."));
    const QCommandLineOption tagsOption(
        QStringLiteral("tags"),
        VarnellDict::tr("The part-of-speech tags to accept, separated by blanks or commas "
                        "(default: %1).")
            .arg(dictionarycheck::legendTags().join(u' ')),
        VarnellDict::tr("TAGS"));
    const QCommandLineOption maxOption(
        QStringLiteral("max"),
        VarnellDict::tr("Print at most N findings, then how many more there are."),
        VarnellDict::tr("N"));
    const QCommandLineOption onlyOption(
        QStringLiteral("only"),
        VarnellDict::tr("Report only the findings of these codes, separated by commas (e.g. "
                        "duplicate-word,phrase-count)."),
        VarnellDict::tr("CODES"));
    parser.addOptions({jsonOption, strictOption, tagsOption, maxOption, onlyOption});
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (!parser.positionalArguments().isEmpty())
        return usageError(name,
                          VarnellDict::tr("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst()));

    bool maxIsNumber = !parser.isSet(maxOption);
    const qsizetype maxFindings
        = parser.isSet(maxOption) ? parser.value(maxOption).toInt(&maxIsNumber) : -1;
    if (!maxIsNumber || (parser.isSet(maxOption) && maxFindings < 0))
        return usageError(name,
                          VarnellDict::tr("--max needs a whole number of at least 0, not '%1'")
                              .arg(parser.value(maxOption)));
    const QList<QString> codes = parser.value(onlyOption).split(u',', Qt::SkipEmptyParts);
    for (const QString &code : codes) {
        if (!dictionarycheck::codes().contains(code))
            return usageError(name,
                              VarnellDict::tr("--only: '%1' is no finding's code; the codes are %2")
                                  .arg(code, dictionarycheck::codes().join(QStringLiteral(", "))));
    }
    const QString folder = textsFolder(parser);
    const QList<QString> tags = parser.isSet(tagsOption) ? tagList(parser.value(tagsOption))
                                                         : dictionarycheck::legendTags();
    QString unmended;
    const std::optional<HeldFolder> held = holdFolder(folder, Purpose::Read, &unmended);
    if (!held)
        return UsageOrFileError;
    dictionarycheck::Report report = dictionarycheck::checkFolder(folder, tags);
    held->access->release();
    if (!unmended.isEmpty())
        report.findings.prepend({dictionaryformat::File::Words,
                                 0,
                                 Severity::Error,
                                 QStringLiteral("interrupted-write"),
                                 unmended});

    if (parser.isSet(onlyOption)) {
        report.findings.removeIf(
            [&](const Finding &finding) { return !codes.contains(finding.code); });
    }

    QTextStream out(stdout);
    const qsizetype shown
        = maxFindings >= 0 ? qMin(maxFindings, report.findings.size()) : report.findings.size();
    for (qsizetype i = 0; i < shown; ++i) {
        const Finding &finding = report.findings.at(i);
        const QString path = QDir::cleanPath(dictionaryformat::filePath(folder, finding.file));
        if (parser.isSet(jsonOption))
            out << findingJson(path, finding) << '\n';
        else
            out << findingLine(path, finding) << '\n';
    }
    printSummary(out, folder, report, report.findings.size() - shown, parser.isSet(jsonOption));
    const bool failed
        = report.errors() > 0 || (parser.isSet(strictOption) && report.warnings() > 0);
    return failed ? ProblemsFound : Success;
}
