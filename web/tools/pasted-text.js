// The pasted-text query of bench/bench_search.cpp's classes, shared by the measuring scripts: the
// dictionary's phrases from its middle on, joined by blanks and commas, cut to `length`
// characters (ending in a letter); null when the phrases are too few.
export function pastedText(entries, length) {
  let text = '';
  for (let i = 0; i < entries.length && text.length <= length; ++i) {
    for (const phrase of entries[(Math.floor(entries.length / 2) + i) % entries.length].phrases)
      text += phrase.trim() + (text.length % 3 ? ' ' : ', ');
  }
  text = text.slice(0, length);
  return text.length < length ? null : text.replace(/[ ,]$/, 'a');
}
