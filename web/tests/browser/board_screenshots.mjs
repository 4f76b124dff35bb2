// Screenshots of the board's pages (the board, a post, moderation) on a real
// quillcast-board with the site, at the desktop, laptop and phone screens,
// into out/board-screens/. Reports errors the pages raise. Run after a build:
//   node web/tests/browser/board_screenshots.mjs
import { mkdirSync } from 'node:fs';
import path from 'node:path';
import { root, startBrowser, screens, watchErrors } from './harness.mjs';
import { Board, newDataDir, cleanUp, sample, cli } from '../../../tests/board/server/board.mjs';

const out = path.join(root, 'out/board-screens');
mkdirSync(out, { recursive: true });
const data = newDataDir();
cli(['admin', 'add', 'mia', '--data', data], 'a long enough password\n');
const board = await new Board(data, ['--posts-per-hour', '0']).start();
let id;
for (const [name, title, artist] of [
  ['quick.qcs', 'A quick one', 'Bea'],
  ['dense.qcs', 'Dense, every byte of the block', 'Carl'],
  ['meadow.qcs', 'Meadow in June, with a title long enough to wrap on a phone', 'Ann Marie'],
]) {
  id = (await (await board.post({ drawing: sample(name), title, artist, password: 'pw' })).json()).id;
}
await board.form(`/p/${id}`, `/p/${id}/comments`, {
  name: 'Dora',
  body: 'The light on the grass!\nHow long did it take?',
});
await new Promise((r) => setTimeout(r, 6000)); // the time-lapses

const { browser, close } = await startBrowser();
const problems = [];
try {
  for (const [screen, viewport] of Object.entries(screens)) {
    for (const [name, url] of [
      ['board', '/'],
      ['post', `/p/${id}`],
      ['login', '/mod/login'],
    ]) {
      const page = watchErrors(await browser.newPage());
      await page.setViewport(viewport);
      await page.goto(board.url(url), { waitUntil: 'networkidle0' });
      await new Promise((r) => setTimeout(r, 1500));
      await page.screenshot({ path: path.join(out, `${name}-${screen}.png`), fullPage: true });
      for (const e of page.errors) problems.push(`${name} ${screen}: ${e}`);
      await page.close();
    }
  }
  // Moderation, logged in through its form.
  for (const [screen, viewport] of Object.entries(screens)) {
    const page = watchErrors(await browser.newPage());
    await page.setViewport(viewport);
    await page.goto(board.url('/mod/login'));
    await page.type('#mname', 'mia');
    await page.type('#mpass', 'a long enough password');
    await Promise.all([page.waitForNavigation(), page.click('form.login button')]);
    await page.screenshot({ path: path.join(out, `mod-${screen}.png`), fullPage: true });
    for (const e of page.errors) problems.push(`mod ${screen}: ${e}`);
    await page.close();
  }
} finally {
  await close();
  await board.stop();
  cleanUp(data);
}
console.log(`screenshots in ${out}`);
if (problems.length) console.log(problems.join('\n'));
