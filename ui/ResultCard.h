#ifndef RESULTCARD_H
#define RESULTCARD_H

#include <QList>
#include <QString>

#include "ConlangDictionary.h"

// The query as the search receives it from the input line `typed`: an entry number may carry
// blanks, any other text is searched as typed.
QString searchedQuery(const QString &typed);

// The text of the translate page's result card for `query` (as it was
// searched), given the search's answer `results`, best first. Only the first
// result is shown. Writes the page's trace lines to the debug log.
QString composeResultCard(const QString &query,
                          const QList<SearchResult> &results,
                          const ConlangDictionary &dictionary);

// `text` as a label should show it: each line longer than `longestShownLine` characters is cut
// there and ends in "…". A label lays out every character it holds, so one 20 MB dictionary line
// would freeze the window for seconds, and nobody reads past the card's edge anyway.
constexpr qsizetype longestShownLine = 1000;
QString shortenedForDisplay(const QString &text);

#endif // RESULTCARD_H
