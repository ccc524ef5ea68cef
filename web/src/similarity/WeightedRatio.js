// The weighted similarity ratio of two byte strings, 0..100, as similarity/WeightedRatio.cpp
// computes it: the same formulas in the same floating-point order, so the scores are equal to
// the last bit. Byte strings are JavaScript strings of char codes 0..255 (one per UTF-8 byte):
// comparison, slicing and hashing of strings are then the engine's own fast operations.

const encoder = new TextEncoder();

// The UTF-8 bytes of a text; a lone surrogate becomes U+FFFD, as QString::toStdString does.
export function utf8Bytes(text) {
  const bytes = encoder.encode(text);
  let out = '';
  for (let i = 0; i < bytes.length; i += 8192) {
    out += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
  }
  return out;
}

// White space at byte level: 0x09..0x0D and 0x1C..0x20, nothing else.
function isWhiteSpace(b) {
  return (b >= 0x09 && b <= 0x0d) || (b >= 0x1c && b <= 0x20);
}

// A pattern's bit masks, 32 bits a block: masks[c * blocks + k] has bit j set where byte
// 32 * k + j of the pattern (read backwards when `backwards`) is c. Patterns of one block, nearly
// all, share one table, cleared again by releaseMasks.
const oneBlockMasks = new Uint32Array(256);

function patternMasks(pattern, backwards = false) {
  const n = pattern.length;
  const blocks = (n + 31) >>> 5 || 1;
  const masks = blocks === 1 ? oneBlockMasks : new Uint32Array(256 * blocks);
  for (let i = 0; i < n; i++) {
    const c = pattern.charCodeAt(backwards ? n - 1 - i : i);
    masks[c * blocks + (i >>> 5)] |= 1 << (i & 31);
  }
  return { pattern, blocks, masks };
}

function releaseMasks(prepared) {
  if (prepared.blocks !== 1) return;
  const { pattern } = prepared;
  for (let i = 0; i < pattern.length; i++) oneBlockMasks[pattern.charCodeAt(i)] = 0;
}

function popcount(x) {
  x -= (x >>> 1) & 0x55555555;
  x = (x & 0x33333333) + ((x >>> 2) & 0x33333333);
  return (((x + (x >>> 4)) & 0x0f0f0f0f) * 0x01010101) >>> 24;
}

// Hyyrö's bit-parallel LCS of the prepared pattern and `count` bytes of text from `from`, read
// forwards (step 1) or backwards (step -1), reporting the LCS after each byte to
// `each(i, lcs)` when given (i: bytes consumed).
function lcsOf(prepared, text, from, count, each, step = 1) {
  const { blocks, masks, pattern } = prepared;
  const n = pattern.length;
  if (blocks === 1) {
    let s = -1;
    const usedMask = n >= 32 ? -1 : (1 << n) - 1;
    for (let i = 0, at = from; i < count; i++, at += step) {
      const u = s & masks[text.charCodeAt(at)];
      s = (s + u) | (s - u);
      if (each) each(i + 1, popcount(~s & usedMask));
    }
    return popcount(~s & usedMask);
  }
  const s = new Uint32Array(blocks).fill(0xffffffff);
  const lastBits = n & 31;
  const lcsSoFar = () => {
    let total = 0;
    for (let k = 0; k < blocks; k++) {
      let bits = ~s[k];
      if (k === blocks - 1 && lastBits) bits &= (1 << lastBits) - 1;
      total += popcount(bits >>> 0);
    }
    return total;
  };
  for (let i = 0, at = from; i < count; i++, at += step) {
    const row = text.charCodeAt(at) * blocks;
    let carry = 0;
    for (let k = 0; k < blocks; k++) {
      const x = s[k];
      const u = x & masks[row + k];
      const sum = x + (u >>> 0) + carry;
      carry = sum > 0xffffffff ? 1 : 0;
      s[k] = ((sum >>> 0) | (x ^ u)) >>> 0;
    }
    if (each) each(i + 1, lcsSoFar());
  }
  return lcsSoFar();
}

function lcs(a, b) {
  if (a.length === 0 || b.length === 0) return 0;
  const [pattern, text] = a.length <= b.length ? [a, b] : [b, a];
  const prepared = patternMasks(pattern);
  const common = lcsOf(prepared, text, 0, text.length);
  releaseMasks(prepared);
  return common;
}

function ratioOfLcs(lengthSum, common) {
  if (lengthSum === 0) return 100;
  return (1 - (lengthSum - 2 * common) / lengthSum) * 100;
}

export function ratio(a, b) {
  return ratioOfLcs(a.length + b.length, lcs(a, b));
}

function norm(distance, length) {
  return length === 0 ? 100 : 100 - (100 * distance) / length;
}

const inShorter = new Uint8Array(256);

// The best window of `longer` against `shorter`, one direction; `floor` where no window
// exceeds it (windows that cannot are never computed).
function partialOneWay(shorter, longer, floor) {
  const n = shorter.length;
  const m = longer.length;
  // A copy of the shorter text inside the longer is a window of 100 (the last full window is
  // read with the edge windows below, and its first byte is one of the shorter's).
  if (longer.includes(shorter)) return 100;
  for (let i = 0; i < n; i++) inShorter[shorter.charCodeAt(i)] = 1;
  let best = floor;
  const take = (score) => {
    if (score > best) best = score;
  };
  const forwards = patternMasks(shorter);
  // Windows of n bytes that lie fully inside: none is a copy, so each misses a byte at least;
  // a window can gain only from its bytes of `shorter`.
  if (m > n && ratioOfLcs(2 * n, n - 1) > best) {
    // The fewest bytes of `shorter` a window must hold to beat `best` (at most n - 1).
    const neededInWindow = () => {
      let needed = 0;
      while (!(ratioOfLcs(2 * n, needed) > best)) needed++;
      return needed;
    };
    let needed = neededInWindow();
    let inWindow = 0;
    for (let i = 0; i < n; i++) inWindow += inShorter[longer.charCodeAt(i)];
    for (let p = 0; p < m - n; p++) {
      if (p > 0) inWindow += inShorter[longer.charCodeAt(p + n - 1)] - inShorter[longer.charCodeAt(p - 1)];
      if (inWindow >= needed) {
        take(ratioOfLcs(2 * n, lcsOf(forwards, longer, p, n)));
        if (needed < n - 1) needed = neededInWindow();
      }
    }
  }
  // Windows cut by the start: prefixes of 1 .. n-1 bytes.
  lcsOf(forwards, longer, 0, Math.min(n - 1, m), (i, common) => {
    if (inShorter[longer.charCodeAt(i - 1)]) take(ratioOfLcs(n + i, common));
  });
  releaseMasks(forwards);
  // Windows cut by the end: the suffixes starting at m-n .. m-1, both texts read backwards.
  const backwards = patternMasks(shorter, true);
  lcsOf(
    backwards,
    longer,
    m - 1,
    Math.min(n, m),
    (k, common) => {
      if (inShorter[longer.charCodeAt(m - k)]) take(ratioOfLcs(n + k, common));
    },
    -1,
  );
  releaseMasks(backwards);
  for (let i = 0; i < n; i++) inShorter[shorter.charCodeAt(i)] = 0;
  return best;
}

// The partial ratio; with a `floor`, exact where it exceeds the floor and the floor elsewhere.
export function partialRatio(a, b, floor = 0) {
  let shorter = a;
  let longer = b;
  if (a.length > b.length) {
    shorter = b;
    longer = a;
  }
  if (shorter.length === 0) return longer.length === 0 ? 100 : 0;
  let best = partialOneWay(shorter, longer, floor);
  if (best !== 100 && shorter.length === longer.length) {
    const other = partialOneWay(longer, shorter, floor);
    if (other > best) best = other;
  }
  return best;
}

// Tokens sort by bytes as signed char: bytes from 0x80 before ASCII.
function signedKey(token) {
  let key = '';
  for (let i = 0; i < token.length; i++) key += String.fromCharCode(token.charCodeAt(i) ^ 0x80);
  return key;
}

function compareSigned(a, b) {
  return a.key < b.key ? -1 : a.key > b.key ? 1 : 0;
}

function hasWhiteSpace(text) {
  for (let i = 0; i < text.length; i++) {
    if (isWhiteSpace(text.charCodeAt(i))) return true;
  }
  return false;
}

export function sortedTokens(text) {
  if (!hasWhiteSpace(text)) return text === '' ? [] : [text];
  const tokens = [];
  let start = -1;
  for (let i = 0; i <= text.length; i++) {
    const white = i === text.length || isWhiteSpace(text.charCodeAt(i));
    if (white && start >= 0) {
      tokens.push(text.slice(start, i));
      start = -1;
    } else if (!white && start < 0) {
      start = i;
    }
  }
  return tokens
    .map((token) => ({ token, key: signedKey(token) }))
    .sort(compareSigned)
    .map((t) => t.token);
}

function withoutRepeats(sorted) {
  return sorted.filter((token, i) => i === 0 || token !== sorted[i - 1]);
}

// The token sets of two sorted token lists: common, only in the first, only in the second.
function decompose(tokensA, tokensB) {
  const setA = withoutRepeats(tokensA);
  const setB = withoutRepeats(tokensB);
  const inB = new Set(setB);
  const inA = new Set(setA);
  const common = setA.filter((t) => inB.has(t));
  return {
    setA,
    setB,
    common: common.join(' '),
    commonCount: common.length,
    onlyA: setA.filter((t) => !inB.has(t)).join(' '),
    onlyB: setB.filter((t) => !inA.has(t)).join(' '),
    onlyACount: setA.length - common.length,
    onlyBCount: setB.length - common.length,
  };
}

function tokenRatio(tokensA, tokensB) {
  const parts = decompose(tokensA, tokensB);
  if (parts.commonCount > 0 && (parts.onlyACount === 0 || parts.onlyBCount === 0)) return 100;
  let result = ratio(tokensA.join(' '), tokensB.join(' '));
  const s = parts.common.length;
  const glue = s > 0 ? 1 : 0;
  const lab = s + glue + parts.onlyA.length;
  const lba = s + glue + parts.onlyB.length;
  const d = parts.onlyA.length + parts.onlyB.length - 2 * lcs(parts.onlyA, parts.onlyB);
  result = Math.max(result, norm(d, lab + lba));
  if (s === 0) return result;
  return Math.max(result, norm(glue + parts.onlyA.length, s + lab), norm(glue + parts.onlyB.length, s + lba));
}

function partialTokenRatio(tokensA, tokensB) {
  const parts = decompose(tokensA, tokensB);
  if (parts.commonCount > 0) return 100;
  const result = partialRatio(tokensA.join(' '), tokensB.join(' '));
  if (tokensA.length === parts.onlyACount && tokensB.length === parts.onlyBCount) return result;
  return Math.max(result, partialRatio(parts.onlyA, parts.onlyB));
}

// The most a candidate of `length` bytes can score against a query of `queryLength` bytes.
export function lengthCap(queryLength, length) {
  const shorter = Math.min(queryLength, length);
  if (shorter === 0) return 0;
  const lengthRatio = Math.max(queryLength, length) / shorter;
  if (lengthRatio < 1.5) return 100;
  return 100 * (lengthRatio <= 8.0 ? 0.9 : 0.6);
}

// `floor`: the caller needs the score only where it exceeds this; below, any value no greater
// than the floor does.
function weightedRatioOfTokens(a, b, tokensA, tokensB, floor = 0) {
  if (a.length === 0 || b.length === 0) return 0;
  const lengthRatio = Math.max(a.length, b.length) / Math.min(a.length, b.length);
  const lengthSum = a.length + b.length;
  if (lengthRatio >= 1.5 && ratioOfLcs(lengthSum, Math.min(a.length, b.length)) <= floor) {
    // The plain ratio of lengths this far apart cannot reach the floor: the partial ratios decide.
    return weightedPartialRatios(a, b, tokensA, tokensB, floor, lengthRatio, 0);
  }
  const common = lcs(a, b);
  const result = ratioOfLcs(lengthSum, common);
  if (lengthRatio >= 1.5) return weightedPartialRatios(a, b, tokensA, tokensB, floor, lengthRatio, result);
  if (tokensA.length === 1 && tokensA[0] === a && tokensB.length === 1 && tokensB[0] === b) {
    // One token each, the usual word against word: the token ratio reduces to the plain one.
    const tokens = a === b ? 100 : Math.max(result, norm(lengthSum - 2 * common, lengthSum));
    return Math.max(result, tokens * 0.95);
  }
  return Math.max(result, tokenRatio(tokensA, tokensB) * 0.95);
}

// WRatio of texts whose lengths are 1.5 times apart or more, given their plain ratio.
function weightedPartialRatios(a, b, tokensA, tokensB, floor, lengthRatio, plainRatio) {
  const partialScale = lengthRatio <= 8.0 ? 0.9 : 0.6;
  const partial = partialRatio(a, b, Math.min(floor, 100 * partialScale) / partialScale);
  const result = Math.max(plainRatio, partial * partialScale);
  if (tokensA.length === 1 && tokensA[0] === a && tokensB.length === 1 && tokensB[0] === b) {
    // One token each: the partial token ratio is the partial ratio.
    return Math.max(result, partial * 0.95 * partialScale);
  }
  return Math.max(result, partialTokenRatio(tokensA, tokensB) * 0.95 * partialScale);
}

// WRatio of two byte strings.
export function weightedRatio(a, b) {
  return weightedRatioOfTokens(a, b, sortedTokens(a), sortedTokens(b));
}

// Which kinds of byte a text of UTF-8 bytes holds, one bit per kind, as [bits 0-31, bits
// 32-63]: letters and digits each their own, the other bytes shared among the remaining bits,
// all white space one kind (token joins replace it by blanks). Two texts whose kinds do not
// meet share no byte, not even white space, and score 0.
function byteKindOf(byte) {
  if (isWhiteSpace(byte)) return 63;
  if (byte >= 0x61 && byte <= 0x7a) return byte - 0x61;
  if (byte >= 0x30 && byte <= 0x39) return 26 + (byte - 0x30);
  return 36 + (byte % 27);
}

export function byteKinds(bytes) {
  let low = 0;
  let high = 0;
  for (let i = 0; i < bytes.length; i++) {
    const kind = byteKindOf(bytes.charCodeAt(i));
    if (kind < 32) low |= 1 << kind;
    else high |= 1 << (kind - 32);
  }
  return [low, high];
}

// Slightly above a bound computed by another formula than the score it bounds, so that
// rounding can never put the bound below the score.
const boundSlack = 1 + 1e-9;

// The most the partial ratio of a shorter text of `shorter` bytes can be when the two share at
// most `common` bytes: a full window scores 100 * lcs / shorter, a window of i < shorter bytes
// at the edge 200 * lcs / (shorter + i), and lcs <= min(common, i). Unless the shorter text may
// occur in the other whole, a full window misses a byte.
function partialRatioBound(shorter, common, mayOccur) {
  const c = Math.min(common, shorter);
  const byShared = common === 0 ? 0 : (200 * c) / (shorter + c);
  if (mayOccur) return byShared;
  return Math.min(byShared, (200 * (shorter - 1)) / (2 * shorter - 1));
}

// The best partial ratio of a word of m bytes, `pairs` of whose neighbouring pairs stand side
// by side in the other string: against a piece of t <= m bytes its LCS is at most
// min(t, (pairs + m + 1 + t) / 3), and 2 LCS / (m + t) peaks where the two meet.
function pairBoundOfPartial(m, pairs) {
  return (200 * (pairs + m + 1)) / (pairs + 3 * m + 1);
}

// One bit for each pair of neighbouring bytes that occurs in `bytes`.
function bytePairs(bytes) {
  const pairs = new Int32Array(65536 / 32);
  for (let i = 0; i + 1 < bytes.length; i++) {
    const pair = (bytes.charCodeAt(i) << 8) | bytes.charCodeAt(i + 1);
    pairs[pair >>> 5] |= 1 << (pair & 31);
  }
  return pairs;
}

// A query's bytes and tokens prepared once and scored against many candidates.
export class WeightedRatioScorer {
  constructor(queryBytes) {
    this.query = queryBytes;
    this.tokens = sortedTokens(queryBytes);
    this.tokenSet = new Set(this.tokens);
    this.singleToken = !hasWhiteSpace(queryBytes);
    this.joinedTokens = this.tokens.join(' ');
    this.joinedSet = withoutRepeats(this.tokens).join(' ');
    this.joinedSetLength = this.joinedSet.length;
    this.hasRepeats = this.joinedSet.length !== this.joinedTokens.length;
    this.byteCounts = new Int32Array(256);
    for (let i = 0; i < queryBytes.length; i++) this.byteCounts[queryBytes.charCodeAt(i)]++;
    this.used = new Int32Array(256);
    this.pairs = bytePairs(queryBytes);
    this.boundIsExact = false;
  }

  // Bytes the candidate shares with the query, counted with their repeats: a bound of every
  // LCS the scores take of the two (or of the candidate and the query's tokens).
  sharedBytes(candidate) {
    let common = 0;
    for (let i = 0; i < candidate.length; i++) {
      const c = candidate.charCodeAt(i);
      if (this.used[c] < this.byteCounts[c]) {
        this.used[c]++;
        common++;
      }
    }
    for (let i = 0; i < candidate.length; i++) this.used[candidate.charCodeAt(i)] = 0;
    return common;
  }

  // How many of the candidate's pairs of neighbouring bytes (by position) stand side by side
  // somewhere in the query. An alignment with L matched bytes against a text of t bytes keeps
  // at least (m - 1) - 2 (m - L) - (t - L) of the m - 1 pairs side by side (each unmatched byte
  // of the candidate breaks two, each gap in the text one), so L <= (pairs + m + t + 1) / 3.
  sharedPairs(candidate) {
    let pairs = 0;
    for (let i = 0; i + 1 < candidate.length; i++) {
      const pair = (candidate.charCodeAt(i) << 8) | candidate.charCodeAt(i + 1);
      pairs += (this.pairs[pair >>> 5] >>> (pair & 31)) & 1;
    }
    return pairs;
  }

  // An upper bound of score(candidate); boundIsExact tells afterwards whether it is the score
  // itself. Which strings it compares follows the definition: the plain ratio of the two; for
  // lengths 1.5 times apart or more, the partial ratios scaled by 0.9 or 0.6 (there the score
  // reaches that scale exactly when the shorter string occurs in the longer, since 0.95 times
  // it and the plain ratio stay below); for closer lengths the token ratios, which only two
  // single words keep within the plain ratio.
  bound(candidate) {
    this.boundIsExact = false;
    const n = this.query.length;
    const m = candidate.length;
    if (n === 0 || m === 0) {
      this.boundIsExact = true;
      return 0;
    }
    const shorter = Math.min(n, m);
    const total = n + m;
    const lengthRatio = Math.max(n, m) / shorter;
    const candidateIsWord = !hasWhiteSpace(candidate);
    if (lengthRatio < 1.5) {
      if (!this.singleToken || !candidateIsWord) return 100;
      const common = Math.min(this.sharedBytes(candidate), Math.floor((this.sharedPairs(candidate) + n + m + 1) / 3));
      return ((200 * common) / total) * boundSlack;
    }
    const partialScale = lengthRatio <= 8 ? 0.9 : 0.6;
    // A word inside the query keeps every pair of its neighbouring bytes; only such a word is
    // looked for.
    const pairs = m < n ? this.sharedPairs(candidate) : 0;
    const mayOccur = m >= n || pairs + 1 === m;
    if (mayOccur && (n > m ? this.query.includes(candidate) : candidate.includes(this.query))) {
      this.boundIsExact = true;
      return 100 * partialScale;
    }
    // A word shorter than every join of the query's tokens is the needle of each partial ratio,
    // and shares with each join at most the bytes it shares with the query (a word that is one
    // of the query's tokens occurs in it, so there is no shared token).
    const wordInsideQuery = candidateIsWord && m < n && m <= this.joinedSetLength;
    if (wordInsideQuery || (this.singleToken && candidateIsWord)) {
      // Against a text four times its length nearly every byte of a word occurs, and counting
      // them would bound nothing.
      let common = n >= 4 * m ? m : this.sharedBytes(candidate);
      let partial = partialRatioBound(shorter, common, false);
      if (m < n) {
        // Lost pairs of neighbouring bytes cap the LCS of the word against any piece of the
        // query (see pairBoundOfPartial).
        common = Math.min(common, Math.floor((pairs + n + m + 1) / 3));
        partial = Math.min(partial, pairBoundOfPartial(m, pairs));
      }
      const plain = (200 * common) / total;
      return Math.max(plain, partialScale * partial) * boundSlack;
    }
    const plain = (200 * shorter) / total;
    const partial = partialRatioBound(shorter, shorter, false);
    // A shared token or a repeated one can still bring the partial token ratio to 100.
    return Math.max(plain, partialScale * partial, 95 * partialScale) * boundSlack;
  }

  // `floor` (optional): the score is needed only where it exceeds this; below, any value no
  // greater than the floor is returned, found with less work.
  score(candidateBytes, floor = 0) {
    const useful = Math.max(0, Math.min(floor, 100));
    if (this.singleToken || candidateBytes === '' || hasWhiteSpace(candidateBytes)) {
      return weightedRatioOfTokens(this.query, candidateBytes, this.tokens, sortedTokens(candidateBytes), useful);
    }
    return this.scoreOneTokenAgainstTokens(candidateBytes, useful);
  }

  // A candidate of one token against a query of several (pasted text): its token sets are the
  // query's prepared ones with or without the candidate.
  scoreOneTokenAgainstTokens(b, floor) {
    const a = this.query;
    const shared = this.tokenSet.has(b);
    const lengthRatio = Math.max(a.length, b.length) / Math.min(a.length, b.length);
    let result;
    if (lengthRatio < 1.5) {
      result = ratio(a, b);
      // tokenRatio: the shared token leaves the candidate's side empty.
      if (shared) return Math.max(result, 100 * 0.95);
      const joined = this.joinedSet;
      const tokens = Math.max(
        ratio(this.joinedTokens, b),
        norm(joined.length + b.length - 2 * lcs(joined, b), joined.length + b.length),
      );
      return Math.max(result, tokens * 0.95);
    }
    const partialScale = lengthRatio <= 8.0 ? 0.9 : 0.6;
    if (ratioOfLcs(a.length + b.length, Math.min(a.length, b.length)) <= floor) result = 0;
    else result = ratio(a, b);
    result = Math.max(result, partialRatio(a, b, Math.min(floor, 100 * partialScale) / partialScale) * partialScale);
    let tokens = 100;
    if (!shared) {
      const tokenFloor = Math.min(floor, 95 * partialScale) / (0.95 * partialScale);
      tokens = partialRatio(this.joinedTokens, b, tokenFloor);
      if (this.hasRepeats) tokens = Math.max(tokens, partialRatio(this.joinedSet, b, tokenFloor));
    }
    return Math.max(result, tokens * 0.95 * partialScale);
  }
}
