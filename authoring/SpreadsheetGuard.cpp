#include "SpreadsheetGuard.h"

#include "VarnellDictText.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace spreadsheetguard {

namespace {

// A number as spreadsheets read one: a sign, digits with thousands separators, a decimal point,
// an exponent; its value, or nothing.
std::optional<double> numberIn(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d{1,3}(,\\d{3})+|\\d+)?(\\.\\d*)?([eE][+-]?\\d+)?$"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !trimmed.contains(QRegularExpression(QStringLiteral("\\d")))
        || !number.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QString(trimmed).remove(u',').toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

bool sameNumber(double a, double b)
{
    // A spreadsheet keeps 15 significant digits: a 20-digit number comes back rounded.
    return a == b || std::fabs(a - b) <= 1e-14 * std::max(std::fabs(a), std::fabs(b));
}

// Text a spreadsheet reads as a day: a fraction or day and month ("3/4", "4.3.", "3-4"), or a
// month's name and a day ("Jan 5", "5 Jan", "5-Jan").
bool looksLikeDay(const QString &text)
{
    static const QRegularExpression numeric(
        QStringLiteral("^\\d{1,4}[/.-]\\d{1,2}([/.-]\\d{1,4})?\\.?$"));
    static const QRegularExpression named(
        QStringLiteral(
            "^((\\d{1,2}[ -]?)?(jan|feb|mar|apr|may|jun|jul|aug|sep|oct|nov|dec)[a-z]*\\.?([ "
            "-]?\\d{1,4})?)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QString trimmed = text.trimmed();
    return numeric.match(trimmed).hasMatch()
        || (named.match(trimmed).hasMatch()
            && trimmed.contains(QRegularExpression(QStringLiteral("\\d"))));
}

// How a spreadsheet writes a date back: digits and separators, a month's name and digits, or the
// day's serial number.
bool looksLikeDate(const QString &text)
{
    static const QRegularExpression written(
        QStringLiteral("^(\\d{1,4}[/.-]\\d{1,2}[/.-]\\d{1,4}|\\d{1,2}[/.-]\\d{1,2}|\\d{1,2}[ "
                       "-]?[A-Za-z]{3,9}\\.?([ -,]*\\d{2,4})?|[A-Za-z]{3,9}\\.? \\d{1,2}(, "
                       "?\\d{2,4})?|\\d{4,6})$"));
    return written.match(text.trimmed()).hasMatch();
}

// Each run of characters outside ASCII as one "?", and each run of "?" as one.
QString withUnencodableRuns(const QString &text, bool fromQuestionMarks)
{
    QString collapsed;
    bool inRun = false;
    for (const QChar character : text) {
        const bool replaced = fromQuestionMarks ? character == u'?' : character.unicode() >= 0x80;
        if (replaced && inRun)
            continue;
        collapsed += replaced ? QChar(u'?') : character;
        inRun = replaced;
    }
    return collapsed;
}

} // namespace

Change changeOf(const QString &before, const QString &after)
{
    const QString old = before.trimmed();
    const QString now = after.trimmed();
    if (old == now || old.isEmpty() || now.isEmpty())
        return Change::None;
    if (old.startsWith(u'=') && !now.startsWith(u'='))
        return Change::Formula;
    if (old.compare(now, Qt::CaseInsensitive) == 0
        && (old.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            || old.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0))
        return Change::TruthValue;
    if (looksLikeDay(old) && looksLikeDate(now) && !numberIn(old))
        return Change::Date;
    const std::optional<double> oldNumber = numberIn(old);
    const std::optional<double> newNumber = numberIn(now);
    if (oldNumber && newNumber && sameNumber(*oldNumber, *newNumber)) {
        static const QRegularExpression leadingZeros(QStringLiteral("^[+-]?0+\\d"));
        return leadingZeros.match(old).hasMatch() ? Change::LeadingZeros : Change::Number;
    }
    if (now.contains(u'?') && !old.contains(u'?')
        && withUnencodableRuns(old, false) == withUnencodableRuns(now, true))
        return Change::Unencodable;
    return Change::None;
}

QString described(Change change)
{
    switch (change) {
    case Change::None:
        break;
    case Change::LeadingZeros:
        return VarnellDict::tr("its leading zeros were dropped, as a spreadsheet does to a number");
    case Change::Number:
        return VarnellDict::tr("it was written as another number, as a spreadsheet does");
    case Change::Date:
        return VarnellDict::tr("it became a date, as a spreadsheet makes of a fraction or a month "
                               "and day");
    case Change::Formula:
        return VarnellDict::tr("a spreadsheet took it for a formula and kept its result");
    case Change::TruthValue:
        return VarnellDict::tr("a spreadsheet took it for a truth value");
    case Change::Unencodable:
        return VarnellDict::tr("its characters became '?': the table was saved in a character set "
                               "without them");
    }
    return {};
}

QString setting(Change change)
{
    if (change == Change::Unencodable)
        return VarnellDict::tr("save the table with the character set Unicode (UTF-8)");
    return VarnellDict::tr("open the table with the column's type set to Text (LibreOffice: "
                           "Text Import, Column type Text; Excel: From Text/CSV, Data Type Text)");
}

} // namespace spreadsheetguard
