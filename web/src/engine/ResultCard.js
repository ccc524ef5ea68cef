// The translate page's result card, as ui/ResultCard.cpp: the text `varnell-dict lookup` prints.
import { isMainlyChinese } from './ChineseSearch.js';
import { createExSentence } from './DictionaryLookups.js';
import { arg, toInt, trimmed } from './QtText.js';

const initialHeader = '  您还没有输入任何字词呢(⌐■_■)';
const spellingFine = '拼写没有问题';
const spellingWrong = '注意: 拼写有问题！';

// The query as the search receives it from the input line: an entry number may carry blanks,
// any other text is searched as typed.
export function searchedQuery(typed) {
  return toInt(typed) !== null ? trimmed(typed) : typed;
}

function successCard(query, entry) {
  // A Chinese query names the translation, so the card is read the other way round.
  const chineseQuery = isMainlyChinese(query);
  const correctWord = chineseQuery ? entry.translation : entry.word;
  const bestTranslation = chineseQuery ? entry.word : entry.translation;
  const hasPhrase = entry.phrases.length > 0;
  const spelling = !chineseQuery && query !== correctWord ? spellingWrong : spellingFine;
  return arg(
    '%1\n  匹配状态：%2\n  正确词汇：%3\n  最佳翻译：%4\n  词性：%5\n  相关词组：%6\n  该词组翻译：%7\n  例句：%8\n  %9',
    '  搜索成功：' + query,
    '成功',
    correctWord,
    bestTranslation,
    entry.partOfSpeech,
    hasPhrase ? entry.phrases[0] : '',
    hasPhrase ? (entry.phraseTranslations[0] ?? '') : '',
    createExSentence(entry.word, entry.translation, entry.partOfSpeech),
    spelling,
  );
}

function failureCard(query) {
  // Nothing was found, so the correct word is empty and any Chinese query is marked.
  const spelling = isMainlyChinese(query) ? spellingWrong : spellingFine;
  return arg(
    '%1\n  匹配状态：%2\n  正确词汇：\n  最佳翻译：\n  词性：\n  相关词组：\n  该词组翻译：\n  例句：\n  %3',
    initialHeader,
    '失败',
    spelling,
  );
}

export function composeResultCard(query, results) {
  return results.length === 0 || !results[0].entry ? failureCard(query) : successCard(query, results[0].entry);
}
