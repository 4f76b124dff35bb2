// The pages and their forms: the board and a post page, comments with their
// CSRF token, what visitors type shown as text, the feed and oEmbed, rate
// limits, and moderation from login to the audit log.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { Board, newDataDir, cleanUp, sample, cli, storeArgs } from "./board.mjs";

const hostile = `<script>alert("x")</script> 'q' {{title}} {{{content}}}`;
let board, data, id;

before(async () => {
  data = newDataDir();
  const added = cli(["admin", "add", "mia", ...storeArgs(data)], "a long enough password\n");
  assert.equal(added.status, 0, added.stderr);
  board = await new Board(data, ["--posts-per-hour", "5", "--comments-per-hour", "4", "--job-backoff-seconds", "0"]).start();
  const res = await board.post({ drawing: sample("quick.qcs"), title: hostile, artist: `Ann ${hostile}`.slice(0, 50), password: "pw" });
  assert.equal(res.status, 201, await res.clone().text());
  id = (await res.json()).id;
});
after(async () => {
  await board.stop();
  cleanUp(data);
});

function shownAsText(html) {
  assert.doesNotMatch(html, /<script>alert/);
  assert.match(html, /&lt;script&gt;alert\(&quot;x&quot;\)&lt;\/script&gt; &apos;q&apos; \{\{title\}\} \{\{\{content\}\}\}/);
}

test("the board lists the post with its thumbnail and links to the studio; its page embeds the player", async () => {
  const board_ = await (await board.get("/")).text();
  assert.match(board_, /<a class="paint" href="\/studio\/">Paint a picture<\/a>/);
  assert.match(board_, new RegExp(`href="/p/${id}"`));
  assert.match(board_, /<img src="\/media\/[0-9a-f]{64}\.png" alt="[^"]+" width="\d+" height="\d+"/);
  shownAsText(board_);

  const page = await (await board.get(`/p/${id}`)).text();
  shownAsText(page);
  assert.match(page, /<iframe class="player" src="\/player\/#embed=1&amp;drawing=\/media\/[0-9a-f]{64}\.qcd" title="Replay of /);
  assert.match(page, /<meta property="og:image" content="http:\/\/127\.0\.0\.1:\d+\/media\/[0-9a-f]{64}\.png">/);
  assert.match(page, new RegExp(`href="/p/${id}/v/1/drawing.exe"`));
  assert.match(page, /Time-lapse/);
  assert.equal((await board.get(`/p/${id}/v/9`)).status, 404);
  assert.equal((await board.get("/p/nosuch")).status, 404);

  const artist = await board.get(`/a/${encodeURIComponent(`Ann ${hostile}`.slice(0, 50))}`);
  assert.equal(artist.status, 200);
  assert.match(await artist.text(), new RegExp(`/p/${id}`));
});

test("a comment needs the page's CSRF token, shows as text, and can be deleted with its password", async () => {
  const without = await board.form(`/p/${id}`, `/p/${id}/comments`, { name: "Eve", body: "no token" }, { csrf: false });
  assert.equal(without.status, 403);

  const sent = await board.form(`/p/${id}`, `/p/${id}/comments`, { name: "Bea", body: `Lovely!\n${hostile}`, password: "mine" });
  assert.equal(sent.status, 303);
  const where = sent.headers.get("location");
  assert.match(where, new RegExp(`^/p/${id}#c\\d+$`));
  const page = await (await board.get(`/p/${id}`, { headers: { cookie: board.cookie } })).text();
  assert.match(page, /Comments \(1\)/);
  assert.match(page, /Lovely!\n&lt;script&gt;/);
  shownAsText(page);

  const cid = where.split("#c")[1];
  const wrong = await board.form(`/p/${id}`, `/p/${id}/comments/${cid}/delete`, { password: "not mine" });
  assert.equal(wrong.status, 403);
  const right = await board.form(`/p/${id}`, `/p/${id}/comments/${cid}/delete`, { password: "mine" });
  assert.equal(right.status, 303);
  assert.match(await (await board.get(`/p/${id}`)).text(), /Comments \(0\)/);

  const empty = await board.form(`/p/${id}`, `/p/${id}/comments`, { name: "Bea", body: "   " });
  assert.equal(empty.status, 400);
  assert.match(await empty.text(), /comment: required/);
});

test("a drawing posted from the upload form leads to its page; a refusal shows on the form", async () => {
  const sent = await board.form("/post", "/post", { drawing: new Blob([sample("quick.qcs")]), title: "From the form", artist: "Flo" });
  assert.equal(sent.status, 303);
  assert.match(sent.headers.get("location"), /^\/p\/[a-z0-9]{8}$/);
  const refused = await board.form("/post", "/post", { drawing: new Blob([Buffer.from("no drawing")]), title: `<b>${hostile}</b>`, artist: "Flo" });
  assert.equal(refused.status, 422);
  const html = await refused.text();
  assert.match(html, /<p class="error" role="alert">[^<]+<\/p>/);
  assert.match(html, /value="&lt;b&gt;&lt;script&gt;/, "what was typed is kept, as text");
  assert.equal((await board.form("/post", "/post", { title: "x", artist: "y" }, { csrf: false })).status, 403);
});

test("the artist changes the title and deletes the post with its password", async () => {
  const made = await (await board.post({ drawing: sample("quick.qcs"), title: "Old", artist: "Eda", password: "eda's" })).json();
  assert.equal((await board.form(`/p/${made.id}`, `/p/${made.id}/edit`, { title: "New", password: "nope" })).status, 403);
  assert.equal((await board.form(`/p/${made.id}`, `/p/${made.id}/edit`, { title: "New", password: "eda's" })).status, 303);
  assert.equal((await (await board.get(`/api/posts/${made.id}`)).json()).title, "New");
  assert.equal((await board.form(`/p/${made.id}`, `/p/${made.id}/delete`, { password: "nope" })).status, 403);
  assert.equal((await board.form(`/p/${made.id}`, `/p/${made.id}/delete`, { password: "eda's" })).status, 200);
  assert.equal((await board.get(`/api/posts/${made.id}`)).status, 404);
});

test("too many posts or comments from one address answer 429 with Retry-After", async () => {
  // The bucket holds 5 posts an hour; the tests before spent four.
  let last;
  for (let i = 0; i < 6 && last?.status !== 429; i++) last = await board.post({ drawing: sample("quick.qcs"), title: `n${i}`, artist: "R" });
  assert.equal(last.status, 429);
  assert.ok(Number(last.headers.get("retry-after")) > 0);
  assert.match((await last.json()).error, /too many posts/);
  let comment;
  for (let i = 0; i < 5; i++) comment = await board.form(`/p/${id}`, `/p/${id}/comments`, { name: "R", body: `c${i}` });
  assert.equal(comment.status, 429);
  assert.ok(Number(comment.headers.get("retry-after")) > 0);
});

test("the Atom feed and oEmbed describe the post", async () => {
  const feed = await board.get("/feed.atom");
  assert.match(feed.headers.get("content-type"), /application\/atom\+xml/);
  const xml = await feed.text();
  assert.match(xml, new RegExp(`<id>http://127.0.0.1:\\d+/p/${id}</id>`));
  assert.doesNotMatch(xml, /<script>/);
  const o = await board.get(`/oembed?format=json&url=${encodeURIComponent(board.url(`/p/${id}`))}`);
  assert.equal(o.status, 200);
  const j = await o.json();
  assert.equal(j.type, "rich");
  assert.equal(j.title, hostile);
  assert.match(j.html, /^<iframe src="http:\/\/127\.0\.0\.1:\d+\/player\/#embed=1&drawing=/);
  assert.equal((await board.get("/oembed?url=https://elsewhere.example/x")).status, 404);
});

test("a moderator logs in, hides a post, bans a network, and every action is in the audit log", async () => {
  const bad = await board.form("/mod/login", "/mod/login", { name: "mia", password: "wrong" });
  assert.equal(bad.status, 403);
  const noToken = await board.form("/mod/login", "/mod/login", { name: "mia", password: "a long enough password" }, { csrf: false });
  assert.equal(noToken.status, 403);
  const ok = await board.form("/mod/login", "/mod/login", { name: "mia", password: "a long enough password" });
  assert.equal(ok.status, 303, await ok.clone().text());
  const cookie = ok.headers.get("set-cookie");
  assert.match(cookie, /^qc_session=[0-9a-f]{64}; .*HttpOnly; SameSite=Strict/);
  board.session = cookie.split(";")[0];

  const hide = await board.form("/mod/", `/mod/posts/${id}/hide`, {});
  assert.equal(hide.status, 303);
  assert.equal((await board.get(`/p/${id}`)).status, 404, "hidden from visitors");
  assert.doesNotMatch(await (await board.get("/")).text(), new RegExp(`/p/${id}"`));
  const forged = await board.form("/mod/", `/mod/posts/${id}/unhide`, { x: "1" }, { csrf: false });
  assert.equal(forged.status, 403);

  assert.equal((await board.form("/mod/", "/mod/bans", { network: "not a network" })).status, 400);
  assert.equal((await board.form("/mod/", "/mod/bans", { network: "127.0.0.0/8" })).status, 303);
  const banned = await board.post({ drawing: sample("quick.qcs"), title: "T", artist: "A" });
  assert.equal(banned.status, 403);
  assert.match((await banned.json()).error, /banned/);

  const dash = await (await board.get("/mod/", { headers: { cookie: [board.cookie, board.session].join("; ") } })).text();
  assert.match(dash, /<td>mia<\/td><td>login<\/td>/);
  assert.match(dash, new RegExp(`<td>mia</td><td>hide post</td><td>${id}</td>`));
  assert.match(dash, /<td>mia<\/td><td>ban<\/td><td>127\.0\.0\.0\/8<\/td>/);
  assert.equal((await board.get("/mod/")).status, 303, "no session: to the login");
});
