#ifndef RESULTCARD_H
#define RESULTCARD_H

#include <QList>
#include <QString>

#include "ConlangDictionary.h"

// The text of the translate page's result card for `query` (as it was
// searched), given the search's answer `results`, best first. Only the first
// result is shown. Writes the page's trace lines to the debug log.
QString composeResultCard(const QString &query,
                          const QList<SearchResult> &results,
                          const ConlangDictionary &dictionary);

#endif // RESULTCARD_H
