// Traditional Chinese characters to simplified, as chinesevariants/ChineseVariants.cpp has OpenCC
// convert them (its t2s conversion), from the tables `varnell-dict publish` writes: the text is
// cut into segments at the longest phrase of the segmentation table found at each place, then each
// segment is converted from its start, each time by the longest key of the first table of the
// group that has one at that place, else the character is kept. The tables hold only the keys
// that can matter for the published dictionary, and a key whose value holds a character the
// dictionary's translations lack has the value null (chinesevariants/ChineseVariants.cpp says
// why): a text that meets one cannot match any translation, and is converted to null.

function codePoints(text) {
  const points = [];
  for (let i = 0; i < text.length; ) {
    const point = text.codePointAt(i);
    points.push(String.fromCodePoint(point));
    i += point > 0xffff ? 2 : 1;
  }
  return points;
}

// The keys, and for each character that starts one the length of the longest it starts: most
// characters of a text start none, and are passed over at once.
function keyTable(entries) {
  const table = new Map(entries);
  const longestFrom = new Map();
  for (const key of table.keys()) {
    const characters = codePoints(key);
    longestFrom.set(characters[0], Math.max(longestFrom.get(characters[0]) ?? 0, characters.length));
  }
  return { table, longestFrom };
}

// The published tables ({ segments: [key...], conversion: [{ key: value or null }...] }) made
// ready for matching.
export function prepareVariantTables(published) {
  return {
    segments: keyTable(published.segments.map((key) => [key, key])),
    conversion: published.conversion.map((dictionary) => keyTable(Object.entries(dictionary))),
  };
}

// The longest key of `keys` that `points` hold from `start` (up to `end`), as [key, value], or
// null.
function longestKey({ table, longestFrom }, points, start, end) {
  const longest = longestFrom.get(points[start]) ?? 0;
  for (let length = Math.min(longest, end - start); length > 0; length--) {
    const key = points.slice(start, start + length).join('');
    if (table.has(key)) return [key, table.get(key), length];
  }
  return null;
}

function segmentsOf(tables, points) {
  const segments = [];
  let runStart = 0;
  for (let at = 0; at < points.length; ) {
    const found = longestKey(tables.segments, points, at, points.length);
    if (!found) {
      at++;
      continue;
    }
    if (runStart < at) segments.push([runStart, at]);
    segments.push([at, at + found[2]]);
    at += found[2];
    runStart = at;
  }
  if (runStart < points.length) segments.push([runStart, points.length]);
  return segments;
}

// A text OpenCC would read otherwise than as it is (a lone surrogate, a NUL) is kept as it is.
function isConvertible(text) {
  return !text.includes('\0') && text.isWellFormed();
}

// The text in simplified characters, or null when it meets a key whose value cannot match.
export function toSimplified(tables, text) {
  if (!isConvertible(text)) return text;
  const points = codePoints(text);
  let simplified = '';
  for (const [start, end] of segmentsOf(tables, points)) {
    for (let at = start; at < end; ) {
      let found = null;
      for (const dictionary of tables.conversion) {
        found = longestKey(dictionary, points, at, end);
        if (found) break;
      }
      if (!found) {
        simplified += points[at++];
        continue;
      }
      if (found[1] === null) return null;
      simplified += found[1];
      at += found[2];
    }
  }
  return simplified;
}
