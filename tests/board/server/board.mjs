// Starts a real quillcast-board on a free loopback port with its own data
// folder, and talks to it over HTTP. QC_BOARD names the program (run.sh sets it).
// With QC_BOARD_PG (the folder of a cluster pg_cluster.sh started), each
// data folder's board keeps its data in a fresh PostgreSQL database instead.
import { spawn, spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import net from "node:net";

export const root = join(dirname(fileURLToPath(import.meta.url)), "../../..");
export const program = process.env.QC_BOARD ?? join(root, "build/bin/quillcast-board");

export function sample(name) {
  return readFileSync(join(root, "samples", name));
}

export function newDataDir() {
  return mkdtempSync(join(tmpdir(), "qc-board-test-"));
}

const pgCluster = process.env.QC_BOARD_PG;
const databases = new Map();

// The options that name a data folder's store: --data DIR, or --database
// with that folder's own database when the tests run on PostgreSQL.
export function storeArgs(data) {
  if (!pgCluster) return ["--data", data];
  if (!databases.has(data)) {
    const name = `board_${process.pid}_${databases.size}`;
    const made = spawnSync(join(root, "tests/board/pg_cluster.sh"), ["createdb", pgCluster, name], { encoding: "utf8", timeout: 30000 });
    if (made.status !== 0) throw new Error(`cannot create database ${name}: ${made.stderr}`);
    databases.set(data, made.stdout.trim());
  }
  return ["--database", databases.get(data)];
}

export function cli(args, input = "") {
  return spawnSync(program, args, { input, encoding: "utf8", timeout: 120000 });
}

export class Board {
  constructor(data, args = []) {
    this.data = data;
    this.args = args;
    this.log = "";
  }

  // Resolves once /healthz answers.
  async start() {
    this.proc = spawn(program, ["serve", ...storeArgs(this.data), "--listen", "127.0.0.1:0", "--site", join(root, "build-web/site"), ...this.args], {
      stdio: ["ignore", "pipe", "pipe"],
    });
    this.exited = new Promise((resolve) => this.proc.on("exit", (code, signal) => resolve({ code, signal })));
    this.proc.stderr.on("data", (d) => (this.log += d));
    this.port = await new Promise((resolve, reject) => {
      let out = "";
      const timer = setTimeout(() => reject(new Error(`the board did not start: ${this.log}`)), 20000);
      this.proc.stdout.on("data", (d) => {
        out += d;
        this.log += d;
        const m = /serving http:\/\/127\.0\.0\.1:(\d+)\//.exec(out);
        if (m) {
          clearTimeout(timer);
          resolve(Number(m[1]));
        }
      });
      this.proc.on("exit", () => reject(new Error(`the board stopped: ${this.log}`)));
    });
    this.base = `http://127.0.0.1:${this.port}`;
    for (let i = 0; i < 100; i++) {
      try {
        if ((await fetch(`${this.base}/healthz`)).ok) return this;
      } catch {}
      await new Promise((r) => setTimeout(r, 50));
    }
    throw new Error("the board never answered /healthz");
  }

  async stop(signal = "SIGTERM") {
    if (!this.proc || this.proc.exitCode !== null || this.proc.signalCode !== null) return this.exited;
    this.proc.kill(signal);
    return this.exited;
  }

  url(path) {
    return `${this.base}${path}`;
  }

  get(path, init = {}) {
    return fetch(this.url(path), { redirect: "manual", ...init });
  }

  // POST /api/posts (or a version when id is given) with multipart fields.
  post(fields, { id, file = "drawing.qcs", headers = {} } = {}) {
    const form = new FormData();
    for (const [k, v] of Object.entries(fields)) {
      if (k === "drawing") form.append("drawing", new Blob([v]), file);
      else form.append(k, v);
    }
    const path = id ? `/api/posts/${id}/versions` : "/api/posts";
    return fetch(this.url(path), { method: "POST", body: form, headers, redirect: "manual" });
  }

  // A form sent as a page sends it: with the CSRF cookie and token of a page.
  async form(pagePath, action, fields, { csrf = true } = {}) {
    const sent = [this.cookie, this.session].filter(Boolean).join("; ");
    const page = await this.get(pagePath, sent ? { headers: { cookie: sent } } : {});
    const html = await page.text();
    const cookie = (page.headers.get("set-cookie") ?? this.cookie ?? "").split(";")[0];
    if (page.headers.get("set-cookie")) this.cookie = cookie;
    const token = /name="csrf" value="([0-9a-f]+)"/.exec(html)?.[1];
    const form = new FormData();
    if (csrf) form.append("csrf", token);
    for (const [k, v] of Object.entries(fields)) form.append(k, v);
    const jar = [cookie, this.session].filter(Boolean).join("; ");
    return fetch(this.url(action), { method: "POST", body: form, headers: { cookie: jar }, redirect: "manual" });
  }
}

export function cleanUp(dir) {
  rmSync(dir, { recursive: true, force: true });
}

// Sends raw bytes and returns what came back (for paths and heads that
// fetch would tidy up).
export function raw(port, text, { closeAfterMs = 3000, until } = {}) {
  return new Promise((resolve) => {
    const s = net.connect(port, "127.0.0.1");
    let got = "";
    s.on("data", (d) => {
      got += d;
      if (until && until.test(got)) {
        s.destroy();
        resolve(got);
      }
    });
    s.on("error", () => resolve(got));
    s.on("close", () => resolve(got));
    s.write(text);
    setTimeout(() => s.destroy(), closeAfterMs);
  });
}

export async function waitFor(check, ms = 30000, what = "a condition") {
  const until = Date.now() + ms;
  while (Date.now() < until) {
    const v = await check();
    if (v) return v;
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`timed out waiting for ${what}`);
}
