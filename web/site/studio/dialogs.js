// Questions asked in the page's own dialog, with plain answers: ask() gives
// true for the first answer and false for the other (or Escape).
export function ask(dialog, { title, text, yes, no = 'Cancel' }) {
  dialog.querySelector('h2').textContent = title;
  dialog.querySelector('p').textContent = text;
  dialog.querySelector('[value=yes]').textContent = yes;
  dialog.querySelector('[value=no]').textContent = no;
  dialog.returnValue = '';
  dialog.showModal();
  return new Promise((resolve) => {
    dialog.addEventListener('close', () => resolve(dialog.returnValue === 'yes'), { once: true });
  });
}
