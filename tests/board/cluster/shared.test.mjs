// Two board servers and two workers on one database: whatever a visitor
// relies on holds on either server. Visitors are told apart by the address
// the servers take from X-Forwarded-For (--trust-proxy), as behind HAProxy.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { DatabaseServer, Cluster, onPostgres, post, sample, waitFor } from "./cluster.mjs";
import { raw } from "../server/board.mjs";

const quick = sample("quick.qcs");
let db, cluster, a, b;

before(async () => {
  db = await new DatabaseServer().start();
  // On PostgreSQL the workers hardly poll: a new job must wake them.
  const workerArgs = onPostgres ? ["--job-poll-seconds", "60"] : [];
  cluster = await new Cluster(db, { balancer: true, serverArgs: ["--posts-per-hour", "3"], workerArgs }).start();
  [a, b] = cluster.servers;
});

after(async () => {
  await cluster?.stop();
  db?.stop();
});

const from = (address) => ({ "X-Forwarded-For": address });

test("a post made through one server is seen through the other, and the workers, woken by it, make its time-lapses", async () => {
  const made = await post(a.url("/api/posts"), quick, { title: "Across", artist: "Ada" }, from("10.1.0.1"));
  assert.equal(made.status, 201, made.body);
  const { id } = made.json;
  const seen = await (await b.get(`/api/posts/${id}`)).json();
  assert.equal(seen.title, "Across");
  assert.equal((await b.get(`/p/${id}`)).status, 200);
  // The board's page is kept for a moment on each server; it shows the post within that.
  await waitFor(async () => (await (await b.get("/")).text()).includes(`/p/${id}"`), 5000, "the post on the other server's board");
  const done = await waitFor(async () => {
    const v = (await (await b.get(`/api/posts/${id}`)).json()).versions[0];
    return v.gif.state === "done" && v.mp4.state === "done" && v;
  }, 20000, "both time-lapses");
  assert.equal((await a.get(done.gif.url)).status, 200);
  // Through the balancer too, to both servers in turn; the media by content
  // hash come from the balancer's cache the second time.
  for (let i = 0; i < 4; i++) assert.equal((await fetch(cluster.balancer.url(`/api/posts/${id}`))).status, 200);
  const first = await fetch(cluster.balancer.url(done.thumbnail));
  assert.equal(first.status, 200);
  await first.arrayBuffer();
  const again = await fetch(cluster.balancer.url(done.thumbnail));
  assert.equal(again.status, 200);
  assert.ok(again.headers.has("age"), "the second answer comes from HAProxy's cache");
  assert.deepEqual(Buffer.from(await again.arrayBuffer()), Buffer.from(await (await a.get(done.thumbnail)).arrayBuffer()));
});

test("a rate limit holds across both servers", async () => {
  const statuses = [];
  for (const server of [a, b, a, b]) {
    const r = await post(server.url("/api/posts"), quick, { title: "Rate", artist: "Rae" }, from("10.2.0.1"));
    statuses.push(r.status);
    if (r.status === 429) {
      assert.ok(Number(r.retryAfter) > 0);
      assert.match(r.json.error, /too many posts/);
    }
  }
  assert.deepEqual(statuses, [201, 201, 201, 429]);
  // Eight at once, four to each server: three go through.
  const burst = await Promise.all(
    Array.from({ length: 8 }, (_, i) => post([a, b][i % 2].url("/api/posts"), quick, { title: "Burst", artist: "Bo" }, from("10.2.0.3"))),
  );
  assert.deepEqual(burst.map((r) => r.status).sort(), [201, 201, 201, 429, 429, 429, 429, 429]);
  // Another visitor is not held up by the first one's bucket.
  assert.equal((await post(b.url("/api/posts"), quick, { title: "Other", artist: "Ola" }, from("10.2.0.2"))).status, 201);
});

// The CSRF cookie and token of a page of `server`, as a browser keeps them.
async function formToken(server, path, jar = []) {
  const page = await server.get(path, { headers: { cookie: jar.join("; ") } });
  const html = await page.text();
  const cookie = page.headers.get("set-cookie")?.split(";")[0];
  return { cookie, token: /name="csrf" value="([0-9a-f]+)"/.exec(html)?.[1] };
}

function send(server, path, fields, jar) {
  const form = new FormData();
  for (const [k, v] of Object.entries(fields)) form.append(k, v);
  return fetch(server.url(path), { method: "POST", body: form, headers: { cookie: jar.join("; ") }, redirect: "manual" });
}

test("a moderator's session, forms and bans hold on both servers", async () => {
  cluster.addModerator("mia", "a long enough password");
  // The visitor to be banned posts through A first, so A has read the bans.
  const visitor = from("10.3.4.5");
  assert.equal((await post(a.url("/api/posts"), quick, { title: "Before", artist: "Vic" }, visitor)).status, 201);

  // Logged in through A, with the form's token from A...
  const login = await formToken(a, "/mod/login");
  const ok = await send(a, "/mod/login", { csrf: login.token, name: "mia", password: "a long enough password" }, [login.cookie]);
  assert.equal(ok.status, 303);
  const session = ok.headers.get("set-cookie").split(";")[0];
  // ...the session holds on B, and a form from A's page is taken by B.
  const jar = [login.cookie, session];
  assert.equal((await b.get("/mod/", { headers: { cookie: jar.join("; ") } })).status, 200);
  const { token } = await formToken(a, "/mod/", jar);
  const banned = Date.now();
  assert.equal((await send(b, "/mod/bans", { csrf: token, network: "10.3.0.0/16" }, jar)).status, 303);

  // A sees the ban within its second of caching.
  const refused = await waitFor(async () => {
    const r = await post(a.url("/api/posts"), quick, { title: "After", artist: "Vic" }, visitor);
    return r.status === 403 && r;
  }, 5000, "the ban on the other server");
  assert.ok(Date.now() - banned < 2500, `the ban took ${Date.now() - banned} ms to hold`);
  assert.match(refused.json.error, /banned/);
  assert.equal((await post(b.url("/api/posts"), quick, { title: "After", artist: "Vic" }, visitor)).status, 403);

  // Behind HAProxy the proxy's own X-Forwarded-For line comes last; a line
  // the client sent before it is not trusted.
  const head = (lines) => `POST /api/posts HTTP/1.1\r\nHost: x\r\n${lines}Content-Length: 0\r\nConnection: close\r\n\r\n`;
  const spoofed = await raw(a.port, head("X-Forwarded-For: 10.3.4.5\r\nX-Forwarded-For: 192.0.2.9\r\n"));
  assert.match(spoofed, /^HTTP\/1\.1 400/, "the proxy's address is not banned");
  const proxied = await raw(a.port, head("X-Forwarded-For: 192.0.2.9\r\nX-Forwarded-For: 10.3.4.5\r\n"));
  assert.match(proxied, /^HTTP\/1\.1 403/, "the address the proxy saw is");
  // And through HAProxy, posing as the banned address gets a client nowhere:
  // HAProxy drops the client's own header, and the board trusts its line.
  const posing = await post(cluster.balancer.url("/api/posts"), quick, { title: "Posing", artist: "Pat" }, visitor);
  assert.equal(posing.status, 201, posing.body);
});
