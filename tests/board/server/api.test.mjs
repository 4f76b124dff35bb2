// The JSON API as the studio and curl use it: a post, its next version with
// the password, the post's JSON, its media and downloads; and the refusals.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { existsSync } from "node:fs";
import { join } from "node:path";
import { Board, newDataDir, cleanUp, sample, raw, root } from "./board.mjs";

let board, data;
before(async () => {
  data = newDataDir();
  board = await new Board(data, ["--posts-per-hour", "0"]).start();
});
after(async () => {
  await board.stop();
  cleanUp(data);
});

test("a post is played, stored and answered with its id; the next version needs its password", async () => {
  const res = await board.post({ drawing: sample("quick.qcs"), title: "Quick one", artist: "Ann", password: "open sesame" });
  assert.equal(res.status, 201, await res.clone().text());
  const made = await res.json();
  assert.match(made.id, /^[a-z0-9]{8}$/);
  assert.deepEqual(made, { id: made.id, version: 1, url: `/p/${made.id}` });

  const wrong = await board.post({ drawing: sample("meadow.qcs"), password: "guess" }, { id: made.id });
  assert.equal(wrong.status, 403);
  assert.deepEqual(await wrong.json(), { error: "wrong password" });
  const none = await board.post({ drawing: sample("meadow.qcs") }, { id: made.id });
  assert.equal(none.status, 400);
  assert.match((await none.json()).error, /password/);

  const v2 = await board.post({ drawing: sample("meadow.qcs"), password: "open sesame" }, { id: made.id });
  assert.equal(v2.status, 201);
  assert.deepEqual(await v2.json(), { id: made.id, version: 2, url: `/p/${made.id}/v/2` });

  const post = await (await board.get(`/api/posts/${made.id}`)).json();
  assert.equal(post.title, "Quick one");
  assert.equal(post.artist, "Ann");
  assert.equal(post.latest, 2);
  assert.equal(post.versions.length, 2);
  for (const v of post.versions) {
    assert.match(v.drawing, /^\/media\/[0-9a-f]{64}\.qcd$/);
    assert.match(v.picture, /^\/media\/[0-9a-f]{64}\.png$/);
    assert.ok(v.show_seconds > 0);
    assert.match(v.created, /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$/);
  }
  assert.notEqual(post.versions[0].drawing, post.versions[1].drawing);

  // Media by content hash: immutable, with an ETag that answers 304.
  const png = await board.get(post.versions[1].picture);
  assert.equal(png.status, 200);
  assert.equal(png.headers.get("content-type"), "image/png");
  assert.match(png.headers.get("cache-control"), /immutable/);
  const bytes = Buffer.from(await png.arrayBuffer());
  assert.equal(bytes.subarray(1, 4).toString(), "PNG");
  const again = await board.get(post.versions[1].picture, { headers: { "if-none-match": png.headers.get("etag") } });
  assert.equal(again.status, 304);
  assert.equal((await board.get(`/media/${"0".repeat(64)}.png`)).status, 404);

  // Downloads made on request.
  const qcd = await board.get(`/p/${made.id}/v/1/drawing.qcd`);
  assert.equal(qcd.status, 200);
  assert.match(qcd.headers.get("content-disposition"), /attachment; filename="Quick-one.qcd"/);
  assert.equal((await qcd.arrayBuffer()).byteLength, 451000);
  const qcs = await board.get(`/p/${made.id}/v/1/drawing.qcs`);
  assert.equal(qcs.status, 200);
  assert.ok((await qcs.text()).length > 100);
  if (existsSync(join(root, "build-win/bin/quillcast.exe"))) {
    const exe = await board.get(`/p/${made.id}/v/2/drawing.exe`);
    assert.equal(exe.status, 200);
    assert.equal(Buffer.from(await exe.arrayBuffer()).subarray(0, 2).toString(), "MZ");
  }
});

test("a post without a password cannot be continued", async () => {
  const made = await (await board.post({ drawing: sample("quick.qcs"), title: "Open", artist: "Bob" })).json();
  const res = await board.post({ drawing: sample("quick.qcs"), password: "anything" }, { id: made.id });
  assert.equal(res.status, 403);
  assert.match((await res.json()).error, /without a password/);
});

test("fields and files that are wrong are refused with a message naming them", async () => {
  const cases = [
    [{ drawing: sample("quick.qcs"), title: "", artist: "Ann" }, 400, /^title: required$/],
    [{ drawing: sample("quick.qcs"), title: "x".repeat(101), artist: "Ann" }, 400, /^title: at most 100 characters$/],
    [{ drawing: sample("quick.qcs"), title: "T", artist: "y".repeat(51) }, 400, /^artist: at most 50 characters$/],
    [{ title: "T", artist: "Ann" }, 400, /^drawing: no file was sent$/],
    [{ drawing: Buffer.alloc(0), title: "T", artist: "Ann" }, 400, /drawing/],
    [{ drawing: Buffer.from("this is no drawing at all"), title: "T", artist: "Ann" }, 422, /./],
  ];
  for (const [fields, status, message] of cases) {
    const res = await board.post(fields);
    const body = await res.json();
    assert.equal(res.status, status, JSON.stringify(body));
    assert.match(body.error, message);
  }
  const exe = await board.post({ drawing: Buffer.concat([Buffer.from("MZ"), Buffer.alloc(5000, 7)]), title: "T", artist: "A" }, { file: "player.exe" });
  assert.equal(exe.status, 422);
  assert.equal((await board.get("/api/posts/nosuchid")).status, 404);
});

test("a browser request from another site is refused; tools without Origin are not", async () => {
  const cross = await board.post({ drawing: sample("quick.qcs"), title: "T", artist: "A" }, { headers: { origin: "https://evil.example" } });
  assert.equal(cross.status, 403);
  const fetchSite = await board.post({ drawing: sample("quick.qcs"), title: "T", artist: "A" }, { headers: { "sec-fetch-site": "cross-site" } });
  assert.equal(fetchSite.status, 403);
  const same = await board.post({ drawing: sample("quick.qcs"), title: "T", artist: "A" }, { headers: { origin: board.base, "sec-fetch-site": "same-origin" } });
  assert.equal(same.status, 201);
});

test("a body over the limit is refused with 413 before it is read", async () => {
  // The head announces 100 MB and only a few bytes follow: the answer comes at once.
  const started = Date.now();
  const answer = await raw(
    board.port,
    "POST /api/posts HTTP/1.1\r\nHost: x\r\nContent-Type: multipart/form-data; boundary=b\r\nContent-Length: 100000000\r\n\r\n--b\r\n",
    { until: /\}$/ },
  );
  assert.match(answer, /^HTTP\/1\.1 413 /);
  assert.match(answer, /too large/);
  assert.ok(Date.now() - started < 2500, "answered without waiting for the body");
  // A form route takes far less than an upload.
  const form = await raw(board.port, "POST /p/abc/comments HTTP/1.1\r\nHost: x\r\nContent-Length: 5000000\r\n\r\n");
  assert.match(form, /^HTTP\/1\.1 413 /);
  // And the board still answers.
  assert.equal((await board.get("/healthz")).status, 200);
});

test("static paths cannot leave the site, and every answer carries the security headers", async () => {
  for (const path of ["/../../../../etc/passwd", "/%2e%2e/%2e%2e/%2e%2e/etc/passwd", "/studio/..%2f..%2f..%2fetc/passwd", "/..%5c..%5cetc/passwd"]) {
    const answer = await raw(board.port, `GET ${path} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n`);
    assert.match(answer, /^HTTP\/1\.1 (400|404) /, path);
    assert.doesNotMatch(answer, /root:/, path);
  }
  const page = await board.get("/");
  assert.match(page.headers.get("content-security-policy"), /script-src 'self' 'wasm-unsafe-eval'/);
  assert.equal(page.headers.get("x-content-type-options"), "nosniff");
  const head = await raw(board.port, `GET / HTTP/1.1\r\nHost: x\r\nX-Big: ${"a".repeat(8000)}\r\nX-Big2: ${"a".repeat(8000)}\r\nX-Big3: ${"a".repeat(8000)}\r\nConnection: close\r\n\r\n`);
  assert.match(head, /^HTTP\/1\.1 (400|431) /);
});
