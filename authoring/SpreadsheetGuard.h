#ifndef SPREADSHEETGUARD_H
#define SPREADSHEETGUARD_H

#include <QString>

// What a spreadsheet makes of text it takes for a number, a date, a formula or a truth value, or
// cannot save in the character set it was told to use. An import compares every cell it changes
// with the text the cell replaces: a change that is what a spreadsheet does to text is almost
// never what the author typed, so it is refused (with the setting that keeps the column as text)
// unless forced.
namespace spreadsheetguard {

enum class Change {
    None, // an ordinary edit
    LeadingZeros, // "0012" became "12", "007" became "7"
    Number, // "1.10" became "1.1", "+5" became "5", "1e5" became "100000", E notation
    Date, // "3/4" or "Jan 5" became a date
    Formula, // "=SUM(1;2)" became "3"
    TruthValue, // "false" became "FALSE"
    Unencodable, // "飞行" became "??": saved in a character set without those characters
};

// What became of `before` as `after`, if a spreadsheet made it so.
Change changeOf(const QString &before, const QString &after);

// "leading zeros dropped, as a spreadsheet does to a number", for a message.
QString described(Change change);
// What keeps the cell as its author typed it: the column's type Text, or the character set.
QString setting(Change change);

} // namespace spreadsheetguard

#endif // SPREADSHEETGUARD_H
