#include "TexEngine.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace pdfbook {

namespace {

QString firstEngineError(const QString &log)
{
    static const QRegularExpression error(QStringLiteral("^! (.*)$"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = error.match(log);
    return match.hasMatch() ? match.captured(1) : QString();
}

int pagesWritten(const QString &log)
{
    static const QRegularExpression written(QStringLiteral("^Output written on .*\\((\\d+) page"),
                                            QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = written.match(log);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

QString engineProgram()
{
    return QStringLiteral("xelatex");
}

Typeset typeset(const QByteArray &source, const QDateTime &date)
{
    Typeset result;
    const QString program = QStandardPaths::findExecutable(engineProgram());
    if (program.isEmpty()) {
        result.engineMissing = true;
        return result;
    }
    const QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("book.tex")));
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(source) != source.size()
        || !file.flush()) {
        result.error = folder.isValid() ? file.errorString() : folder.errorString();
        return result;
    }
    file.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Paranoid: no file outside the folder and the engine's own trees is read or written.
    environment.insert(QStringLiteral("openin_any"), QStringLiteral("p"));
    environment.insert(QStringLiteral("openout_any"), QStringLiteral("p"));
    environment.insert(QStringLiteral("shell_escape"), QStringLiteral("f"));
    if (date.isValid()) {
        environment.insert(QStringLiteral("SOURCE_DATE_EPOCH"),
                           QString::number(date.toSecsSinceEpoch()));
        environment.insert(QStringLiteral("FORCE_SOURCE_DATE"), QStringLiteral("1"));
    }
    QProcess engine;
    engine.setWorkingDirectory(folder.path());
    engine.setProcessEnvironment(environment);
    engine.setStandardInputFile(QProcess::nullDevice());
    engine.setStandardOutputFile(QProcess::nullDevice());
    engine.setStandardErrorFile(QProcess::nullDevice());
    engine.start(program,
                 {QStringLiteral("-no-shell-escape"),
                  QStringLiteral("-interaction=batchmode"),
                  QStringLiteral("-halt-on-error"),
                  QStringLiteral("book.tex")});
    if (!engine.waitForFinished(-1) || engine.exitStatus() != QProcess::NormalExit) {
        result.error = engine.errorString();
        return result;
    }
    QFile logFile(folder.filePath(QStringLiteral("book.log")));
    const QString log
        = logFile.open(QIODevice::ReadOnly) ? QString::fromUtf8(logFile.readAll()) : QString();
    static const QRegularExpression missing(
        QStringLiteral("^Missing character: There is no .* \\(U\\+([0-9A-F]+)\\)"),
        QRegularExpression::MultilineOption);
    for (QRegularExpressionMatchIterator it = missing.globalMatch(log); it.hasNext();) {
        const char32_t character = it.next().captured(1).toUInt(nullptr, 16);
        ++result.missingCharacters;
        if (!result.charactersNoFontHas.contains(character))
            result.charactersNoFontHas.append(character);
    }
    result.pages = pagesWritten(log);
    QFile pdf(folder.filePath(QStringLiteral("book.pdf")));
    if (engine.exitCode() != 0 || !pdf.open(QIODevice::ReadOnly)) {
        result.error = firstEngineError(log);
        if (result.error.isEmpty())
            result.error = QStringLiteral("%1 exited with status %2")
                               .arg(engineProgram())
                               .arg(engine.exitCode());
        return result;
    }
    result.pdf = pdf.readAll();
    return result;
}

} // namespace pdfbook
