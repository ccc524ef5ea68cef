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
