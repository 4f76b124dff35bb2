// Faults in a board of several processes, during storms of posts (bounded in
// count and time): a server killed with kill -9 behind HAProxy, a worker
// killed in the middle of a job, the database stopped and started again.
// Each counts what the store holds against what was answered "accepted"
// (201): nothing accepted may be missing, and nothing may be there twice.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { DatabaseServer, Cluster, onPostgres, post, sample, sleep, storm, waitFor } from "./cluster.mjs";

const quick = sample("quick.qcs");
const dense = sample("dense.qcs");
let db;

before(async () => {
  db = await new DatabaseServer().start();
});

after(() => db?.stop());

// Every accepted post is stored once under its title; no title is stored
// twice. Returns how many posts of the storm the store holds.
function assertNothingLost(cluster, prefix, results) {
  const rows = cluster.query(`SELECT title, id FROM posts WHERE title LIKE '${prefix}-%'`);
  const byTitle = new Map();
  for (const [title, id] of rows) {
    assert.ok(!byTitle.has(title), `${title} is stored twice`);
    byTitle.set(title, id);
  }
  const accepted = results.filter((r) => r.status === 201);
  for (const r of accepted) assert.equal(byTitle.get(r.title), r.json.id, `accepted ${r.title} (${r.json.id}) is stored`);
  return { accepted: accepted.length, stored: rows.length, lost: accepted.filter((r) => byTitle.get(r.title) !== r.json.id).length };
}

test("kill -9 of a server behind HAProxy during a storm loses no accepted post and makes none twice", async () => {
  // No workers: this is about the servers, and time-lapses would only take the CPU.
  const cluster = await new Cluster(db, { workers: 0, balancer: true, serverArgs: ["--posts-per-hour", "0"] }).start();
  try {
    const [victim, survivor] = cluster.servers;
    let killedAt = 0;
    const results = await storm({
      count: 48,
      concurrency: 6,
      prefix: "kill9",
      drawing: quick,
      target: () => cluster.balancer.url("/api/posts"),
      onAnswer: async (done) => {
        if (done === 12) {
          await victim.stop("SIGKILL");
          killedAt = Date.now();
        }
      },
    });
    assert.equal(results.length, 48, "the storm ran to its end in time");
    const failed = results.filter((r) => r.status !== 201);
    // Only posts in flight on the killed server may fail (HAProxy answers
    // 502); later ones go to the other server, as the refused connection is
    // tried again there.
    assert.ok(failed.length <= 6, `${failed.length} posts failed: ${failed.map((r) => r.status).join(" ")}`);
    for (const r of failed) assert.ok([0, 502, 503].includes(r.status), `${r.title}: ${r.status} ${r.body}`);
    const late = results.filter((r) => r.sentAt > killedAt && r.status !== 201);
    assert.deepEqual(late.map((r) => `${r.title}: ${r.status}`), [], "posts sent once the server was gone are all accepted");
    const counted = assertNothingLost(cluster, "kill9", results);
    console.log(`kill -9 of a server: ${counted.accepted} accepted, ${counted.stored} stored, ${failed.length} refused, lost ${counted.lost}`);
    // The survivor serves every accepted post.
    for (const r of results.filter((r) => r.status === 201).slice(0, 12))
      assert.equal((await survivor.get(`/api/posts/${r.json.id}`)).status, 200);
  } finally {
    await cluster.stop();
  }
});

test("a worker killed in the middle of a job: the other makes it once its lease runs out; SIGTERM finishes the job in hand", async () => {
  const cluster = await new Cluster(db, { servers: 1, workers: 2, workerArgs: ["--job-lease-seconds", "2"] }).start();
  try {
    const made = await post(cluster.servers[0].url("/api/posts"), dense, { title: "Leased", artist: "Lea" });
    assert.equal(made.status, 201, made.body);
    const { id } = made.json;
    // The GIF of the dense drawing takes about a second to make: the worker
    // that takes it is killed as soon as it says so.
    const taken = new RegExp(`job (\\d+): gif of ${id} v1 taken \\(attempt 1\\)`);
    const victim = await waitFor(() => cluster.workers.find((w) => taken.test(w.log)), 15000, "a worker taking the GIF");
    await victim.stop("SIGKILL");
    const job = taken.exec(victim.log)[1];
    const other = cluster.workers.find((w) => w !== victim);
    const killed = Date.now();
    await waitFor(() => new RegExp(`job ${job}: gif of ${id} v1 taken \\(attempt 2\\)`).test(other.log), 10000, "the other worker to take the GIF");
    const retaken = Date.now() - killed;
    await waitFor(() => new RegExp(`job ${job}: gif of ${id} v1 made`).test(other.log), 20000, "the other worker to make the GIF");
    const rows = cluster.query(`SELECT state, attempts FROM jobs WHERE id = ${job}`);
    assert.deepEqual(rows, [["done", "2"]]);
    const version = (await (await cluster.servers[0].get(`/api/posts/${id}`)).json()).versions[0];
    const gif = Buffer.from(await (await cluster.servers[0].get(version.gif.url)).arrayBuffer());
    assert.equal(gif.subarray(0, 3).toString(), "GIF");
    console.log(`kill -9 of a worker: job ${job} taken again ${retaken} ms after the kill (lease 2 s), made ${Date.now() - killed} ms after it`);

    // SIGTERM lets a worker finish the job in hand, then it exits 0.
    const next = (await post(cluster.servers[0].url("/api/posts"), dense, { title: "Finished", artist: "Lea" })).json.id;
    const holding = new RegExp(`job (\\d+): (gif|mp4) of ${next} v1 taken`);
    await waitFor(() => holding.test(other.log), 15000, "the worker taking a job");
    const held = holding.exec(other.log)[1];
    assert.deepEqual(await other.stop("SIGTERM"), { code: 0, signal: null });
    assert.match(other.log, new RegExp(`job ${held}: \\w+ of ${next} v1 made`));
    assert.deepEqual(cluster.query(`SELECT state, attempts FROM jobs WHERE id = ${held}`), [["done", "1"]]);
  } finally {
    await cluster.stop();
  }
});

test("the database stopped and started during a storm: 503 in the gap, then servers and workers go on by themselves", { skip: !onPostgres && "needs PostgreSQL" }, async () => {
  const cluster = await new Cluster(db, { serverArgs: ["--posts-per-hour", "0"] }).start();
  try {
    const [servers, workers] = [cluster.servers.slice(), cluster.workers.slice()];
    // The health checks of both servers, every 20 ms through the outage,
    // and a page a browser asks for.
    const health = [];
    const pages = [];
    let watching = true;
    const watcher = (async () => {
      while (watching) {
        for (const s of servers) {
          try {
            health.push((await fetch(s.url("/healthz"), { signal: AbortSignal.timeout(5000) })).status);
            const page = await fetch(s.url("/p/nosuchpost"), { headers: { accept: "text/html" }, signal: AbortSignal.timeout(5000) });
            pages.push({ status: page.status, retryAfter: page.headers.get("retry-after"), type: page.headers.get("content-type"), html: await page.text() });
          } catch {
            health.push(0);
          }
        }
        await sleep(20);
      }
    })();
    let outage, starting, upAt = Infinity;
    const results = await storm({
      count: 200,
      concurrency: 2,
      gapMs: 150,
      // On for a second after the database is back.
      done: () => Date.now() > upAt + 1000,
      prefix: "restart",
      drawing: quick,
      // Straight to the servers, in turn, to see each one's own answers.
      target: (i) => servers[i % 2].url("/api/posts"),
      onAnswer: (done) => {
        if (done === 10)
          outage = (async () => {
            await db.down();
            // A server and a worker started now wait for the database.
            starting = Promise.all([cluster.addServer(), cluster.addWorker()]);
            await sleep(1500);
            await db.up();
            upAt = Date.now();
          })();
      },
    });
    await outage;
    const [lateServer, lateWorker] = await starting;
    assert.match(lateServer.log, /serve: the database is unavailable/);
    assert.match(lateWorker.log, /worker: the database is unavailable/);
    // After the outage: each server takes posts again by itself.
    const after = [];
    for (const s of [...servers, lateServer])
      await waitFor(async () => {
        const title = `restart-after-${after.length}`;
        const r = await post(s.url("/api/posts"), quick, { title, artist: "Storm" });
        after.push({ title, ...r });
        return r.status === 201;
      }, 10000, "a post accepted after the restart");
    watching = false;
    await watcher;

    const statuses = new Set(results.map((r) => r.status));
    for (const s of statuses) assert.ok([201, 503].includes(s), `a post was answered ${s}`);
    // Once the database is up again, the servers take posts at once.
    const late = results.filter((r) => r.sentAt > upAt);
    assert.deepEqual(late.filter((r) => r.status !== 201).map((r) => `${r.title}: ${r.status}`), []);
    const refused = results.filter((r) => r.status === 503);
    for (const r of refused) {
      assert.ok(Number(r.retryAfter) > 0, "a 503 says when to try again");
      assert.match(r.json.error, /database is not answering/);
    }
    assert.ok(health.includes(503), "/healthz said 503 while the database was down");
    assert.ok(health.every((s) => s === 200 || s === 503), `/healthz answered ${[...new Set(health)]}`);
    assert.equal(health.at(-1), 200);
    // A browser is shown a page that says what happened, not an error.
    const down = pages.find((p) => p.status === 503);
    assert.ok(down, "a page was asked for while the database was down");
    assert.match(down.type, /^text\/html/);
    assert.ok(Number(down.retryAfter) > 0);
    assert.match(down.html, /<h1>Back in a moment<\/h1>/);
    assert.ok(pages.every((p) => p.status === 404 || p.status === 503), `pages answered ${[...new Set(pages.map((p) => p.status))]}`);
    for (const s of cluster.servers) assert.equal(s.proc.exitCode, null, "the server still runs");

    const counted = assertNothingLost(cluster, "restart", [...results, ...after]);
    // The workers make every accepted post's time-lapses.
    await waitFor(() => Number(cluster.query("SELECT COUNT(*) FROM jobs WHERE state <> 'done'")[0][0]) === 0, 30000, "every job done");
    for (const w of cluster.workers) {
      assert.ok(w.running(), "the worker still runs");
      // One outage, one line each way: no crash loop in the log.
      assert.equal(w.log.match(/the database is unavailable/g)?.length, 1, w.log);
      assert.equal(w.log.match(/the database answers again/g)?.length, 1, w.log);
    }
    console.log(`database restart: ${counted.accepted} accepted (${late.length} after it), ${refused.length} answered 503, ${counted.stored} stored, lost ${counted.lost}; all jobs done`);
  } finally {
    await cluster.stop();
  }
});
