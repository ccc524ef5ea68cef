// varnell-dict check: every problem of the dictionary files, with file and line, GNU style.

#include "Subcommands.h"

#include "DictionaryCheck.h"

#include <QDir>
#include <QFileInfo>
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
    const QJsonObject object{
        {QStringLiteral("file"), path},
        {QStringLiteral("line"), finding.line > 0 ? QJsonValue(finding.line) : QJsonValue()},
        {QStringLiteral("severity"), severityName(finding.severity)},
        {QStringLiteral("code"), finding.code},
        {QStringLiteral("message"), finding.message}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
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
                                "one summary line. Exits with 1 when there is an error."));
    const QCommandLineOption jsonOption(
        QStringLiteral("json"),
        VarnellDict::tr("Print one JSON object per finding and line (file, line, severity, code, "
                        "message) instead."));
    const QCommandLineOption strictOption(QStringLiteral("strict"),
                                          VarnellDict::tr("Exit with 1 on a warning too."));
    const QCommandLineOption tagsOption(
        QStringLiteral("tags"),
        VarnellDict::tr("The part-of-speech tags to accept, separated by blanks or commas "
                        "(default: %1).")
            .arg(dictionarycheck::legendTags().join(u' ')),
        VarnellDict::tr("TAGS"));
    parser.addOptions({jsonOption, strictOption, tagsOption});
    if (const std::optional<int> done = parseArguments(parser, name, arguments))
        return *done;
    if (!parser.positionalArguments().isEmpty())
        return usageError(name,
                          VarnellDict::tr("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst()));

    const QString folder = textsFolder(parser);
    if (!QFileInfo(folder).isDir()) {
        printError(VarnellDict::tr("%1 is not a folder").arg(folder));
        return UsageOrFileError;
    }
    const QList<QString> tags = parser.isSet(tagsOption) ? tagList(parser.value(tagsOption))
                                                         : dictionarycheck::legendTags();
    const dictionarycheck::Report report = dictionarycheck::checkFolder(folder, tags);

    QTextStream out(stdout);
    for (const Finding &finding : report.findings) {
        const QString path = QDir::cleanPath(dictionaryformat::filePath(folder, finding.file));
        if (parser.isSet(jsonOption))
            out << findingJson(path, finding) << '\n';
        else
            out << findingLine(path, finding) << '\n';
    }
    if (!parser.isSet(jsonOption)) {
        out << VarnellDict::tr("%1 errors, %2 warnings, %3 entries")
                   .arg(report.errors())
                   .arg(report.warnings())
                   .arg(report.entries)
            << '\n';
    }
    const bool failed
        = report.errors() > 0 || (parser.isSet(strictOption) && report.warnings() > 0);
    return failed ? ProblemsFound : Success;
}
