// The pages' keys: one table per page says each key and what it does; the
// same table answers the keyboard and fills the help card, so the card lists
// every key there is. A focused control keeps the keys it uses itself (a
// text field all of them), and only while it has the focus: a control
// clicked with the pointer gives the focus back once it is done.

// Fields that take typed text: every key goes to them.
const kTextTypes = new Set(['text', 'number', 'search', 'email', 'url', 'tel', 'password']);

export function isTextField(element) {
  if (!element || !element.tagName) return false;
  if (element.isContentEditable || element.tagName === 'TEXTAREA') return true;
  return element.tagName === 'INPUT' && kTextTypes.has(element.type);
}

// Whether the focused control uses this key itself.
export function controlKeeps(event) {
  const target = event.target;
  if (!target || !target.tagName) return false;
  if (isTextField(target)) return event.key !== 'Escape';
  if (target.closest('dialog')) return true;
  const key = event.key;
  const activates = key === ' ' || key === 'Enter';
  const arrows = /^(Arrow|Page|Home$|End$)/.test(key);
  switch (target.tagName) {
    case 'SELECT':
      return activates || arrows || key.length === 1;
    case 'INPUT':
      if (target.type === 'range') return arrows;
      if (target.type === 'radio') return activates || arrows;
      return activates;
    case 'BUTTON':
    case 'SUMMARY':
    case 'A':
      return activates;
    default:
      return target.getAttribute('role') === 'option' ? activates || arrows : false;
  }
}

// entries: [{ keys: ['z'], ctrl, shift, label: 'Ctrl+Z', what: 'Undo', run(event) }].
// ctrl: whether Ctrl (or ⌘) is held, false when not given; shift: whether
// Shift is held, either when not given; everywhere: the key works in a text
// field too (Ctrl+S). Entries without a label are left off the help card.
export class Shortcuts {
  constructor(entries) {
    this.entries = entries;
    this.enabled = () => true;
  }

  find(event) {
    const ctrl = event.ctrlKey || event.metaKey;
    const key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
    return this.entries.find(
      (e) =>
        e.keys.includes(key) &&
        !!e.ctrl === ctrl &&
        (e.shift === undefined || e.shift === event.shiftKey) &&
        !event.altKey,
    );
  }

  // For a keydown listener on the document.
  handle(event) {
    if (event.defaultPrevented) return;
    const entry = this.find(event);
    if (controlKeeps(event) && !(entry && entry.everywhere)) {
      if (event.key === 'Escape' && isTextField(event.target)) event.target.blur();
      return;
    }
    if (!entry || !this.enabled(entry)) return;
    event.preventDefault();
    entry.run(event);
  }

  // The help card's rows: a definition list of keys and what they do.
  fillHelp(list) {
    list.replaceChildren(
      ...this.entries
        .filter((e) => e.label)
        .flatMap((e) => {
          const term = document.createElement('dt');
          for (const part of e.label.split(' ')) {
            if (part === '/' || part === 'or') {
              term.append(` ${part} `);
              continue;
            }
            const kbd = document.createElement('kbd');
            kbd.textContent = part;
            term.append(kbd);
          }
          const what = document.createElement('dd');
          what.textContent = e.what;
          return [term, what];
        }),
    );
  }
}

// A control used with the pointer gives the focus back to the page once it
// is done, so that the keys work whatever was clicked; the keyboard's focus
// stays where it is. Text fields keep it: they are for typing.
export function releaseFocusAfterPointer(root = document) {
  let byPointer = false;
  root.addEventListener('pointerdown', () => (byPointer = true), true);
  root.addEventListener('keydown', () => (byPointer = false), true);
  const release = (event) => {
    const target = event.target;
    if (!byPointer || isTextField(target) || target.closest('dialog')) return;
    if (target === document.activeElement || target.contains(document.activeElement)) document.activeElement.blur();
  };
  root.addEventListener('change', release);
  root.addEventListener('click', (event) => {
    const target = event.target.closest('button, summary, a, input[type=checkbox], input[type=radio]');
    if (target) release({ target });
  });
  root.addEventListener('pointerup', (event) => {
    if (event.target.matches && event.target.matches('input[type=range]')) release(event);
  });
}
