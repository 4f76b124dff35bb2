// The Post dialog: a title, the artist's name and a password, then the post
// itself while the dialog stays open, so that a refusal shows beside the
// fields and nothing typed is lost. What is typed is kept as it is typed:
// the title and the name with the drawing in this browser (through
// `remember`), the password for this tab only (sessionStorage).
const kPasswordKey = 'quillcast-board-password';

export class PostDialog {
  // remember({title, artist}) keeps the fields; they come back in open().
  constructor(dialog, remember) {
    this.dialog = dialog;
    this.remember = remember;
    this.$ = (id) => dialog.querySelector(`#${id}`);
    this.form = this.$('post-form');
    this.send = null;
    this.settle = null;
    for (const id of ['post-name', 'post-artist']) {
      this.$(id).addEventListener('input', () => this.remember(this.fields()));
    }
    this.$('post-password').addEventListener('input', () => {
      try {
        sessionStorage.setItem(kPasswordKey, this.$('post-password').value);
      } catch {
        // Storage turned off: the field still holds it while the page lives.
      }
    });
    for (const radio of this.form.querySelectorAll('input[name=post-as]')) {
      radio.addEventListener('change', () => this.showKind());
    }
    this.form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.submit();
    });
    this.$('post-cancel').addEventListener('click', () => this.dialog.close());
    this.dialog.addEventListener('close', () => this.finish(null));
  }

  fields() {
    return { title: this.$('post-name').value, artist: this.$('post-artist').value };
  }

  // Whether this post goes on as the next version of the one continued.
  continues() {
    return !!this.continuing && this.form.querySelector('input[name=post-as]:checked').value === 'version';
  }

  // Opens the dialog. kept: {title, artist} as last typed; continuing: the
  // post this drawing continues ({id, version, title}) or null; send(fields)
  // posts and resolves to what the page says, or throws with the reason.
  // Resolves to send's answer, or null when the painter cancels.
  open({ boardName, kept, continuing, send }) {
    this.send = send;
    this.continuing = continuing;
    this.$('post-board').textContent = `On ${boardName || 'this board'}, for anyone with the link to watch.`;
    this.$('post-name').value = (kept && kept.title) || '';
    this.$('post-artist').value = (kept && kept.artist) || '';
    let password = '';
    try {
      password = sessionStorage.getItem(kPasswordKey) || '';
    } catch {
      // As above.
    }
    this.$('post-password').value = password;
    this.$('post-as').hidden = !continuing;
    if (continuing) {
      this.$('post-as-version').textContent = `Version ${continuing.version + 1} of “${continuing.title}”`;
      this.form.querySelector('input[name=post-as][value=version]').checked = true;
    }
    this.showKind();
    this.showError('');
    this.busy(false);
    this.dialog.showModal();
    const first = ['post-name', 'post-artist'].map((id) => this.$(id)).find((input) => !input.value);
    (first || this.$('post-send')).focus();
    return new Promise((resolve) => (this.settle = resolve));
  }

  showKind() {
    const version = this.continues();
    this.$('post-password').required = version;
    this.$('post-password-note').textContent = version
      ? 'The password you gave the post: it lets you add this version.'
      : 'Optional: with it you can later continue, change or delete the post.';
    this.$('post-send').textContent = version ? 'Post the version' : 'Post';
  }

  showError(text) {
    this.$('post-error').textContent = text;
    this.$('post-error').hidden = !text;
  }

  busy(on) {
    this.$('post-send').disabled = on;
    this.dialog.toggleAttribute('aria-busy', on);
    this.$('post-progress').hidden = !on;
  }

  // The first field that is missing, named, with the field focused.
  missing() {
    const wanted = [
      ['post-name', 'Give the drawing a title.'],
      ['post-artist', 'Give the name to show as the artist.'],
    ];
    if (this.continues()) wanted.push(['post-password', 'The password of the post is needed to add a version.']);
    for (const input of this.form.querySelectorAll('input')) input.removeAttribute('aria-invalid');
    for (const [id, text] of wanted) {
      if (!this.$(id).value.trim()) {
        this.$(id).setAttribute('aria-invalid', 'true');
        this.$(id).setAttribute('aria-errormessage', 'post-error');
        this.$(id).focus();
        return text;
      }
    }
    return '';
  }

  async submit() {
    if (!this.send || this.$('post-send').disabled) return;
    const missing = this.missing();
    if (missing) {
      this.showError(missing);
      return;
    }
    this.showError('');
    this.busy(true);
    const fields = {
      title: this.$('post-name').value.trim(),
      artist: this.$('post-artist').value.trim(),
      password: this.$('post-password').value,
      postId: this.continues() ? this.continuing.id : null,
    };
    try {
      const said = await this.send(fields);
      this.finish(said);
      this.dialog.close();
    } catch (error) {
      this.showError(error.message || String(error));
      this.busy(false);
      const field = /password/i.test(error.message || '') ? 'post-password' : 'post-send';
      this.$(field).focus();
    }
  }

  finish(answer) {
    const settle = this.settle;
    this.settle = null;
    this.send = null;
    if (settle) settle(answer);
  }
}
