// A board stopped at bad moments keeps what it accepted: SIGTERM finishes
// the post in flight; kill -9 loses no accepted post and leaves no half one;
// time-lapse jobs interrupted either way finish after a restart; an online
// backup restores to a board that `check` passes.
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { copyFileSync, mkdtempSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { Board, newDataDir, cleanUp, sample, cli, waitFor } from "./board.mjs";

const dense = sample("dense.qcs");

// Every listed post is whole: its versions, their media and their jobs.
async function assertWhole(board, ids) {
  const page = await (await board.get("/")).text();
  const listed = [...page.matchAll(/<a class="title" href="\/p\/([a-z0-9]+)"/g)].map((m) => m[1]);
  for (const id of ids) assert.ok(listed.includes(id), `accepted post ${id} is on the board`);
  for (const id of listed) {
    const post = await (await board.get(`/api/posts/${id}`)).json();
    assert.equal(post.versions.length, post.latest);
    for (const v of post.versions)
      for (const url of [v.drawing, v.picture, v.thumbnail]) assert.equal((await board.get(url)).status, 200, url);
  }
  return listed;
}

async function jobsDone(board, id) {
  const post = await (await board.get(`/api/posts/${id}`)).json();
  return post.versions.every((v) => v.gif.state === "done" && v.mp4.state === "done") ? post : null;
}

test("SIGTERM during a post finishes it first; the board stops cleanly and keeps it", async () => {
  const data = newDataDir();
  try {
    const board = await new Board(data).start();
    const pending = board.post({ drawing: dense, title: "Dense", artist: "Ann" });
    await new Promise((r) => setTimeout(r, 60));
    const stopped = board.stop("SIGTERM");
    const res = await pending;
    assert.equal(res.status, 201);
    const { id } = await res.json();
    assert.equal((await stopped).code, 0);
    const again = await new Board(data).start();
    await assertWhole(again, [id]);
    await waitFor(() => jobsDone(again, id), 60000, "the time-lapses");
    await again.stop();
  } finally {
    cleanUp(data);
  }
});

test("kill -9 while posting loses no accepted post and leaves no half one", async () => {
  const data = newDataDir();
  try {
    const accepted = [];
    for (const delay of [5, 40, 120, 250, 400]) {
      const board = await new Board(data, ["--posts-per-hour", "0"]).start();
      const sends = [0, 1, 2].map(() =>
        board.post({ drawing: dense, title: `d${delay}`, artist: "K" }).then(
          async (r) => r.status === 201 && accepted.push((await r.json()).id),
          () => {},
        ),
      );
      await new Promise((r) => setTimeout(r, delay));
      await board.stop("SIGKILL");
      await Promise.all(sends);
    }
    const board = await new Board(data).start();
    await assertWhole(board, accepted);
    await board.stop();
  } finally {
    cleanUp(data);
  }
});

test("time-lapse jobs cut short by kill -9 or SIGTERM finish after a restart", async () => {
  const data = newDataDir();
  try {
    let board = await new Board(data, ["--job-lease-seconds", "3"]).start();
    const { id } = await (await board.post({ drawing: dense, title: "Jobs", artist: "J" })).json();
    await waitFor(async () => {
      const post = await (await board.get(`/api/posts/${id}`)).json();
      return post.versions[0].gif.state === "running";
    }, 20000, "a running job");
    await board.stop("SIGKILL");

    board = await new Board(data, ["--job-lease-seconds", "3"]).start();
    await waitFor(async () => {
      const post = await (await board.get(`/api/posts/${id}`)).json();
      return ["running", "done"].includes(post.versions[0].mp4.state) || post.versions[0].gif.state === "running";
    }, 20000, "a job taken again");
    assert.equal((await board.stop("SIGTERM")).code, 0);

    board = await new Board(data, ["--job-lease-seconds", "3"]).start();
    const post = await waitFor(() => jobsDone(board, id), 90000, "both time-lapses");
    const gif = Buffer.from(await (await board.get(post.versions[0].gif.url)).arrayBuffer());
    assert.equal(gif.subarray(0, 3).toString(), "GIF");
    const mp4 = Buffer.from(await (await board.get(post.versions[0].mp4.url)).arrayBuffer());
    assert.equal(mp4.subarray(4, 8).toString(), "ftyp");
    await board.stop();
  } finally {
    cleanUp(data);
  }
});

test("an online backup restores to a board that check passes", async () => {
  const data = newDataDir();
  const restored = mkdtempSync(join(tmpdir(), "qc-board-restored-"));
  try {
    const board = await new Board(data).start();
    const ids = [];
    for (const name of ["quick.qcs", "meadow.qcs"])
      ids.push((await (await board.post({ drawing: sample(name), title: name, artist: "B" })).json()).id);
    const backup = join(data, "backup.sqlite3");
    const made = cli(["backup", backup, "--data", data]);
    assert.equal(made.status, 0, made.stderr);
    await board.stop();

    copyFileSync(backup, join(restored, "board.sqlite3"));
    const check = cli(["check", "--data", restored]);
    assert.equal(check.status, 0, check.stdout + check.stderr);
    assert.match(check.stdout, /2 of 2 drawings match their stored pictures/);
    const again = await new Board(restored).start();
    await assertWhole(again, ids);
    await again.stop();

    // A stored picture that no longer matches its drawing is named.
    const spoil = spawnSync("sqlite3", [join(restored, "board.sqlite3"),
      `UPDATE media SET bytes = X'00' WHERE sha256 = (SELECT picture FROM versions WHERE post_id = '${ids[1]}')`]);
    assert.equal(spoil.status, 0, String(spoil.stderr));
    const bad = cli(["check", "--data", restored]);
    assert.equal(bad.status, 1);
    assert.match(bad.stdout, new RegExp(`/p/${ids[1]}/v/1: plays to a different picture`));
    assert.match(bad.stdout, /1 of 2 drawings match/);
  } finally {
    cleanUp(data);
    cleanUp(restored);
  }
});
