// The project's hostile inputs posted to a real board: the fuzzers'
// corpora and regressions, and files cut, swapped or made up. Each is refused
// with a 4xx and a message, or accepted; the board never fails or hangs and
// answers after each.
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { readdirSync, readFileSync } from "node:fs";
import { join } from "node:path";
import { Board, newDataDir, cleanUp, sample, root } from "./board.mjs";

let board, data;
before(async () => {
  data = newDataDir();
  board = await new Board(data, ["--posts-per-hour", "0", "--check-seconds", "20"]).start();
});
after(async () => {
  await board.stop();
  cleanUp(data);
});

function fuzzInputs() {
  const out = [];
  for (const [folder, ext] of [["corpus/replay", "qcd"], ["regressions/replay", "qcd"], ["corpus/script", "qcs"], ["corpus/embed", "exe"]]) {
    const dir = join(root, "fuzz", folder);
    for (const name of readdirSync(dir)) out.push([`${folder}/${name}`, readFileSync(join(dir, name)), `${name}.${ext}`]);
  }
  return out;
}

function madeUp() {
  const quick = sample("quick.qcs");
  const block = Buffer.alloc(451000);
  return [
    ["zero block", block, "zero.qcd"],
    ["block of 0xFF", Buffer.alloc(451000, 0xff), "ff.qcd"],
    ["short block", Buffer.alloc(1000, 1), "short.qcd"],
    ["text cut in half", quick.subarray(0, quick.length >> 1), "cut.qcs"],
    ["text of noise", Buffer.from("%%%\n".repeat(2000)), "noise.qcs"],
    ["a script named .qcd", quick, "swapped.qcd"],
    ["a PNG named .exe", Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47]), Buffer.alloc(4000)]), "picture.exe"],
    ["an MZ head and nothing", Buffer.from("MZ"), "tiny.exe"],
    ["an unknown extension", quick, "drawing.zip"],
    ["no file name", quick, ""],
  ];
}

test("every hostile drawing is refused with a message or accepted, and the board keeps answering", async () => {
  const seen = { accepted: 0, refused: 0 };
  for (const [what, bytes, file] of [...fuzzInputs(), ...madeUp()]) {
    const started = Date.now();
    const res = await board.post({ drawing: bytes, title: what.slice(0, 100), artist: "Fuzz" }, { file });
    const body = await res.json();
    assert.ok(res.status === 201 || (res.status >= 400 && res.status < 500), `${what}: ${res.status} ${JSON.stringify(body)}`);
    if (res.status === 201) seen.accepted++;
    else {
      seen.refused++;
      assert.ok(typeof body.error === "string" && body.error.length > 3 && !body.error.includes("\n"), `${what}: ${body.error}`);
    }
    assert.ok(Date.now() - started < 30000, `${what} took ${Date.now() - started} ms`);
    assert.equal((await board.get("/healthz")).status, 200, `the board answers after ${what}`);
  }
  assert.ok(seen.refused >= 5, JSON.stringify(seen));
  // The board and its accepted posts still render.
  assert.equal((await board.get("/")).status, 200);
});
