// The order of the smart search's answer, as dictionary/SearchRanking.cpp: the kind of match
// first, then the score, then (the tie rule) the entry that comes first in the files.

const priority = new Map([
  ['word_exact', 100],
  ['translation_exact', 100],
  ['phrase_exact_match', 95],
  ['phrase_exact_word', 95],
  ['part_of_speech', 95],
  ['phrase_contains_word', 90],
  ['word_fuzzy', 85],
  ['translation_partial', 75],
]);

export function priorityOf(matchType) {
  return priority.get(matchType) ?? 50;
}

// Negative when a goes before b.
export function compareResults(a, b) {
  const priorityA = priorityOf(a.matchType);
  const priorityB = priorityOf(b.matchType);
  if (priorityA !== priorityB) return priorityB - priorityA;
  if (a.score !== b.score) return a.score > b.score ? -1 : 1;
  return a.entry.number - b.entry.number;
}

export function keepFirstResultPerEntry(results) {
  const seen = new Set();
  return results.filter((result) => {
    if (seen.has(result.entry)) return false;
    seen.add(result.entry);
    return true;
  });
}
