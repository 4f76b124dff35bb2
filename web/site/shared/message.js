// The page's message line: what just happened, or what went wrong. An error
// stays until the next action that succeeds. The document element's
// data-message says which it is ("info" or "error").

// Text on one line: the engines' messages may run over several.
export function oneLine(text) {
  return String(text)
    .split(/\r?\n/)
    .map((s) => s.trim())
    .filter(Boolean)
    .join(' ');
}

export class MessageLine {
  constructor(element) {
    this.element = element;
  }

  show(text, isError) {
    this.element.textContent = oneLine(text);
    this.element.classList.toggle('error', isError);
    document.documentElement.dataset.message = isError ? 'error' : 'info';
  }

  // An action succeeded and says what it did.
  say(text) {
    this.show(text, false);
  }

  // An action failed: the message names what is wrong.
  fail(text) {
    this.show(text, true);
  }

  // An action succeeded without a word of its own: an error before it goes.
  succeeded() {
    if (this.isError()) this.show('', false);
  }

  isError() {
    return this.element.classList.contains('error');
  }
}
