// A board as several processes on loopback: one database (a throw-away
// PostgreSQL cluster from tests/board/pg_cluster.sh, or a shared SQLite file
// when QC_CLUSTER_STORE=sqlite), board servers, time-lapse workers and
// HAProxy in front, from a copy of docs/board-haproxy.cfg. Every wait is
// bounded.
import { spawn, spawnSync } from "node:child_process";
import { chmodSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import net from "node:net";
import { Board, program, root, cleanUp, cli, waitFor } from "../server/board.mjs";

export { sample, waitFor, cli } from "../server/board.mjs";

export const store = process.env.QC_CLUSTER_STORE ?? "postgresql";
export const onPostgres = store === "postgresql";
const pgCluster = join(root, "tests/board/pg_cluster.sh");

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function run(cmd, args, what, env = process.env) {
  const r = spawnSync(cmd, args, { encoding: "utf8", timeout: 30000, env });
  if (r.status !== 0) throw new Error(`${what} failed: ${r.stderr || r.error}`);
  return r.stdout.trim();
}

// The database server for one test file; each cluster gets a database of
// its own in it.
export class DatabaseServer {
  async start() {
    this.dir = mkdtempSync(join(tmpdir(), "qc-cluster-db-"));
    chmodSync(this.dir, 0o755);  // the cluster runs as another user
    // The cluster goes with this process, even when a test run is cut short.
    const env = { ...process.env, QC_PG_OWNER_PID: String(process.pid) };
    if (onPostgres) this.uri = run(pgCluster, ["start", join(this.dir, "pg")], "pg_cluster.sh start", env).split("\n").pop();
    this.count = 0;
    return this;
  }

  // A new empty database: its --database location.
  create() {
    const name = `board${++this.count}`;
    if (!onPostgres) return `sqlite:${join(this.dir, name)}`;
    run("psql", ["-X", "-q", "-d", this.uri, "-c", `CREATE DATABASE ${name}`], "CREATE DATABASE");
    return this.uri.replace(/\/board$/, `/${name}`);
  }

  // pg_cluster.sh restart, down (stopped, files kept) or up (started again
  // on its port).
  control(command) {
    return new Promise((resolve, reject) => {
      const p = spawn(pgCluster, [command, join(this.dir, "pg")], { stdio: ["ignore", "ignore", "pipe"] });
      let err = "";
      p.stderr.on("data", (d) => (err += d));
      const timer = setTimeout(() => p.kill("SIGKILL"), 30000);
      p.on("exit", (code) => {
        clearTimeout(timer);
        code === 0 ? resolve() : reject(new Error(`pg_cluster.sh ${command}: ${err}`));
      });
    });
  }

  restart() {
    return this.control("restart");
  }

  down() {
    return this.control("down");
  }

  up() {
    return this.control("up");
  }

  stop() {
    if (onPostgres && this.dir) spawnSync(pgCluster, ["stop", join(this.dir, "pg")], { timeout: 30000 });
    if (this.dir) cleanUp(this.dir);
  }
}

// Rows of a query, straight from the store (tab-separated columns).
export function query(location, sql) {
  const out = location.startsWith("sqlite:")
    ? run("sqlite3", ["-separator", "\t", join(location.slice(7), "board.sqlite3"), sql], "sqlite3")
    : run("psql", ["-X", "-A", "-t", "-F", "\t", "-d", location, "-c", sql], "psql");
  return out === "" ? [] : out.split("\n").map((line) => line.split("\t"));
}

// A `quillcast-board worker` process; its log is kept for the tests to read.
export class Worker {
  constructor(database, args = []) {
    this.database = database;
    this.args = args;
    this.log = "";
  }

  async start() {
    this.proc = spawn(program, ["worker", "--database", this.database, ...this.args], { stdio: ["ignore", "pipe", "pipe"] });
    this.exited = new Promise((resolve) => this.proc.on("exit", (code, signal) => resolve({ code, signal })));
    this.proc.stderr.on("data", (d) => (this.log += d));
    await new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`the worker did not start: ${this.log}`)), 20000);
      this.proc.stdout.on("data", (d) => {
        this.log += d;
        if (/worker ready/.test(this.log)) {
          clearTimeout(timer);
          resolve();
        }
      });
      this.proc.on("exit", () => reject(new Error(`the worker stopped: ${this.log}`)));
    });
    return this;
  }

  running() {
    return this.proc.exitCode === null && this.proc.signalCode === null;
  }

  async stop(signal = "SIGTERM") {
    if (this.running()) this.proc.kill(signal);
    return this.exited;
  }
}

function freePort() {
  return new Promise((resolve) => {
    const s = net.createServer();
    s.listen(0, "127.0.0.1", () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

// docs/board-haproxy.cfg made fit for loopback: no chroot, user or daemon,
// a loopback port, the given servers, and checks a few times faster.
export function haproxyConfig(port, serverPorts) {
  const lines = readFileSync(join(root, "docs/board-haproxy.cfg"), "utf8").split("\n");
  const out = [];
  for (const line of lines) {
    const t = line.trim();
    if (/^(chroot|user|group|daemon|stats socket|log \/)/.test(t)) continue;
    if (/^bind /.test(t)) out.push(`    bind 127.0.0.1:${port}`);
    else if (/^server /.test(t)) continue;
    else out.push(line.replace(/\binter 1s\b/, "inter 250ms"));
  }
  serverPorts.forEach((p, i) => out.push(`    server board${i + 1} 127.0.0.1:${p}`));
  return out.join("\n") + "\n";
}

export class Balancer {
  constructor(dir, serverPorts) {
    this.dir = dir;
    this.serverPorts = serverPorts;
    this.log = "";
  }

  async start() {
    this.port = await freePort();
    const cfg = join(this.dir, "haproxy.cfg");
    writeFileSync(cfg, haproxyConfig(this.port, this.serverPorts));
    this.proc = spawn("haproxy", ["-db", "-f", cfg], { stdio: ["ignore", "pipe", "pipe"] });
    this.exited = new Promise((resolve) => this.proc.on("exit", (code, signal) => resolve({ code, signal })));
    this.proc.stdout.on("data", (d) => (this.log += d));
    this.proc.stderr.on("data", (d) => (this.log += d));
    this.base = `http://127.0.0.1:${this.port}`;
    await waitFor(async () => {
      if (this.proc.exitCode !== null) throw new Error(`haproxy stopped: ${this.log}`);
      try {
        return (await fetch(`${this.base}/healthz`)).ok;
      } catch {
        return false;
      }
    }, 10000, "haproxy");
    return this;
  }

  url(path) {
    return `${this.base}${path}`;
  }

  async stop() {
    if (this.proc.exitCode === null && this.proc.signalCode === null) this.proc.kill("SIGTERM");
    return this.exited;
  }
}

// Servers and workers on one new database of `db`, and the balancer when
// asked for.
export class Cluster {
  constructor(db, { servers = 2, workers = 2, balancer = false, serverArgs = [], workerArgs = [] } = {}) {
    this.db = db;
    this.options = { servers, workers, balancer, serverArgs, workerArgs };
  }

  async start() {
    this.database = this.db.create();
    this.dir = mkdtempSync(join(tmpdir(), "qc-cluster-"));
    const { servers, workers, balancer, serverArgs, workerArgs } = this.options;
    // One server first, so that the store is made before the rest start.
    this.servers = [];
    this.workers = [];
    await this.addServer();
    const more = [];
    for (let i = 1; i < servers; i++) more.push(this.addServer());
    for (let i = 0; i < workers; i++) more.push(this.addWorker());
    await Promise.all(more);
    if (balancer) this.balancer = await new Balancer(this.dir, this.servers.map((s) => s.port)).start();
    return this;
  }

  // Resolve once the new process is ready; it is stopped with the rest.
  addServer() {
    const { serverArgs } = this.options;
    const server = new Board(this.dir, ["--database", this.database, "--workers", "0", "--trust-proxy", ...serverArgs]);
    this.servers.push(server);
    return server.start();
  }

  addWorker() {
    const worker = new Worker(this.database, this.options.workerArgs);
    this.workers.push(worker);
    return worker.start();
  }

  query(sql) {
    return query(this.database, sql);
  }

  addModerator(name, password) {
    const r = cli(["admin", "add", name, "--database", this.database], `${password}\n`);
    if (r.status !== 0) throw new Error(`admin add: ${r.stderr}`);
  }

  async stop() {
    await Promise.all([
      ...this.servers.map((s) => s.proc && s.stop()),
      ...this.workers.map((w) => w.proc && w.stop()),
      this.balancer?.stop(),
    ]);
    cleanUp(this.dir);
  }
}

// A post of `drawing` to `url` (a server's or the balancer's /api/posts);
// never rejects: a failure to answer is status 0.
export async function post(url, drawing, fields, headers = {}) {
  const form = new FormData();
  form.append("drawing", new Blob([drawing]), "drawing.qcs");
  for (const [k, v] of Object.entries(fields)) form.append(k, v);
  try {
    const res = await fetch(url, { method: "POST", body: form, headers, signal: AbortSignal.timeout(20000) });
    const body = await res.text();
    let json = {};
    try {
      json = JSON.parse(body);
    } catch {}
    return { status: res.status, retryAfter: res.headers.get("retry-after"), json, body };
  } catch (e) {
    return { status: 0, error: String(e) };
  }
}

// A storm of `count` posts titled `${prefix}-${i}`, `concurrency` at once,
// each sent to target(i). onAnswer(done, result) sees each answer as it
// comes (for faults at a chosen moment). Each lane rests gapMs between its
// posts. Ends early when done() says so; bounded by `ms` in any case.
export async function storm({ count, concurrency, prefix, drawing, target, onAnswer = () => {}, gapMs = 0, done = () => false, ms = 40000 }) {
  const results = [];
  const until = Date.now() + ms;
  let next = 0;
  async function lane() {
    while (next < count && Date.now() < until && !done()) {
      const i = next++;
      const title = `${prefix}-${i}`;
      const sentAt = Date.now();
      const r = await post(target(i), drawing, { title, artist: "Storm" });
      results.push({ i, title, sentAt, ...r });
      await onAnswer(results.length, results.at(-1));
      if (gapMs) await sleep(gapMs);
    }
  }
  await Promise.all(Array.from({ length: concurrency }, lane));
  return results;
}
