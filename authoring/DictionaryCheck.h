#ifndef DICTIONARYCHECK_H
#define DICTIONARYCHECK_H

#include "DictionaryFormat.h"

#include <QList>
#include <QSet>
#include <QString>

// Finds what in a dictionary folder makes the window show less, or other, than its author wrote.
// The files are read through the loader's own line reader; their bytes are looked at once more
// for what decoding hides (invalid UTF-8, byte-order marks, line ends).
namespace dictionarycheck {

enum class Severity { Error, Warning };

struct Finding
{
    dictionaryformat::File file = dictionaryformat::File::Words;
    int line = 0; // 1-based; 0 for a problem of the whole file
    Severity severity = Severity::Error;
    QString code; // stable, for scripts: "duplicate-word", "phrase-count", ...
    QString message;
    // For the line where the files stop lining up: the findings after it that follow from it,
    // counted here instead of listed.
    int consequences = 0;
};

struct Report
{
    // By file, then by line; a line where the files stop lining up comes first.
    QList<Finding> findings;
    int entries = 0; // what the loader makes of the folder
    int errors() const;
    int warnings() const;
};

// The tags of the legend: ko. kiu. koler. koos. ka. kei. and n.
QList<QString> legendTags();

// Every code a finding may have, "interrupted-write" (which varnell-dict reports) included.
QList<QString> codes();

Report checkFolder(const QString &folder, const QList<QString> &knownTags);
// The same rules on lines not yet written (what their bytes would show is not looked at): the
// findings a write of `texts` would leave, for the commands that refuse to make errors. Only the
// lines (1-based) in `lines` are looked at one by one; words are compared with every line.
Report checkTexts(const dictionaryformat::Texts &texts,
                  const QList<QString> &knownTags,
                  const QSet<int> &lines);

} // namespace dictionarycheck

#endif // DICTIONARYCHECK_H
