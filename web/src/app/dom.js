// Builds the page's elements. Every text from the dictionary or the address is put in as text
// (textContent), never parsed as markup, so a translation "<img src=x onerror=…>" shows exactly
// those characters.

// An element `tag` with the given properties (className, href, id, …; `text` becomes its text)
// and children (elements or strings, strings as text).
export function element(tag, properties = {}, children = []) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(properties)) {
    if (name === 'text')
      node.textContent = value;
    else if (name.startsWith('aria-') || name.startsWith('data-'))
      node.setAttribute(name, value);
    else
      node[name] = value;
  }
  node.append(...children);
  return node;
}

// The page is Chinese (lang="zh-Hans"), so the browser draws its text with a Chinese font, whose
// Latin letters and punctuation are full-width ("Abel’ s"). A word, phrase or translation in
// another script is marked with a language of its own: the dictionary's own language has no
// code, so its script only ("und-Latn", undetermined language in Latin letters), and styles.css
// draws it with a Latin font.
const chineseCharacters = '\\p{Script=Han}\\p{Script=Hiragana}\\p{Script=Katakana}\\p{Script=Hangul}'
  + '\\p{Script=Bopomofo}\\u3000-\\u303f\\uff00-\\uffef';
// From a letter that is not Chinese to the end of the line or the next Chinese character.
const foreignRun = new RegExp(`(?![${chineseCharacters}])\\p{L}[^\\n${chineseCharacters}]*`, 'gu');
const chineseCharacter = new RegExp(`[${chineseCharacters}]`, 'u');
const latinLetter = /\p{Script=Latin}/u;

function languageOf(run) {
  return latinLetter.test(run) ? 'und-Latn' : 'und';
}

// `text` as the children of `node`: where it is not Chinese, the node takes the text's language;
// where it mixes (the card, a Chinese example with a 禾岚 word), each run of another script is a
// span of its own language.
export function setText(node, text) {
  foreignRun.lastIndex = 0;
  const first = foreignRun.exec(text);
  if (first && !chineseCharacter.test(text))
    node.lang = languageOf(first[0]);
  else
    node.removeAttribute('lang');
  if (!first || !chineseCharacter.test(text)) {
    node.textContent = text;
  } else {
    const children = [];
    let from = 0;
    for (let run = first; run; run = foreignRun.exec(text)) {
      const foreign = run[0].trimEnd();
      children.push(text.slice(from, run.index), element('span', { lang: languageOf(foreign), text: foreign }));
      from = run.index + foreign.length;
    }
    children.push(text.slice(from));
    node.replaceChildren(...children.filter((child) => child !== ''));
  }
  return node;
}

// An element holding one text of the dictionary, marked with its language (see setText).
export function textElement(tag, properties, text) {
  return setText(element(tag, properties), text);
}

// Puts `children` in place of everything `parent` holds, in one step.
export function replaceChildren(parent, children) {
  parent.replaceChildren(...children);
}

export function byId(id) {
  return document.getElementById(id);
}

// A link to the page before or after (#entry-previous, #list-next, …): where there is none it
// stays in place, marked disabled and out of the tab order, so the pager never jumps.
export function setPagerLink(link, address, exists) {
  link.href = address;
  link.setAttribute('aria-disabled', String(!exists));
  link.tabIndex = exists ? 0 : -1;
}
