// The few rules of Qt's QString that decide search answers, where JavaScript's own differ.

// QChar::isSpace: ASCII white space, U+0085, and Unicode's space, line and paragraph
// separators (U+3000 and U+00A0 among them). JavaScript's trim() differs (U+FEFF, U+0085).
export function isSpace(unit) {
  if (unit <= 0x20) return unit === 0x20 || (unit >= 0x09 && unit <= 0x0d);
  if (unit < 0x85) return false;
  return (
    unit === 0x85 ||
    unit === 0xa0 ||
    unit === 0x1680 ||
    (unit >= 0x2000 && unit <= 0x200a) ||
    unit === 0x2028 ||
    unit === 0x2029 ||
    unit === 0x202f ||
    unit === 0x205f ||
    unit === 0x3000
  );
}

// QString::trimmed: white space removed from both ends, unit by unit.
export function trimmed(text) {
  let start = 0;
  let end = text.length;
  while (start < end && isSpace(text.charCodeAt(start))) start++;
  while (end > start && isSpace(text.charCodeAt(end - 1))) end--;
  return start === 0 && end === text.length ? text : text.slice(start, end);
}

// QString::toLower maps each character on its own; toLowerCase() differs only by the final
// sigma, which depends on the letters around it (both apply the same multi-unit mappings such
// as U+0130).
export function toLower(text) {
  return text.includes('\u03a3') ? text.replaceAll('\u03a3', '\u03c3').toLowerCase() : text.toLowerCase();
}

const integerPattern = /^\uFEFF?[ \t\n\v\f\r]*([+-]?[0-9]+)[ \t\n\v\f\r]*$/;

// QString::toInt(&ok, 10): an optional byte-order mark, ASCII blanks around, a sign, ASCII
// digits, within 32 bits; null when the text is no such number.
export function toInt(text) {
  const match = integerPattern.exec(text);
  if (!match) return null;
  const value = Number(match[1]) + 0; // "-0" is 0
  return value >= -2147483648 && value <= 2147483647 ? value : null;
}

// QString::arg with several arguments: %1 .. %9 replaced in one pass, so text inside an argument
// is never substituted in turn.
export function arg(template, ...values) {
  return template.replace(/%([1-9])/g, (marker, digit) => {
    const index = Number(digit) - 1;
    return index < values.length ? values[index] : marker;
  });
}
