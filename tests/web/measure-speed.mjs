// The web build's figures beside the native build's, on this machine: the
// first frame after navigation (after the process starts, natively), frames
// a second at 1280 x 768 over a stretch of free flight, and the sizes of
// what a browser downloads. Not a test: it judges nothing. Each run is a
// fresh viewer process, or a fresh browser, as a first visit is. On an X
// display, which `make measure-web` brings:
//   node tests/web/measure-speed.mjs [SECONDS]
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";
import puppeteer from "puppeteer-core";
import { serve } from "../../web/serve.mjs";

const repo = path.resolve(path.dirname(new URL(import.meta.url).pathname), "../..");
const site = path.join(repo, "build-web/site");
const native = path.join(repo, "build/orvane");
const seconds = Number(process.argv[2] ?? 10);
const runs = 3;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "orvane-measure-"));

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Frames a second from the times (ms) at which frames ended: the first
// second left out, as the start's own work would weigh on it.
function rate(ends) {
  const counted = ends.filter((end) => end >= ends[0] + 1000);
  return (counted.length - 1) / ((counted.at(-1) - counted[0]) / 1000);
}

// In the page: when each of the viewer's frames ended, on the page's clock,
// which starts at navigation.
function recordFrames() {
  window.frameEnds = [];
  const ask = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) =>
    ask((time) => {
      callback(time);
      frameEnds.push(performance.now());
    });
}

async function measureWeb() {
  const server = await serve(site);
  const results = [];
  for (let run = 0; run < runs; run++) {
    const browser = await puppeteer.launch({
      executablePath: "/usr/bin/chromium",
      headless: true,
      userDataDir: path.join(scratch, `chromium-${run}`),
      args: ["--headless=new", "--no-sandbox", "--use-angle=swiftshader",
        "--enable-unsafe-swiftshader", "--disable-background-networking",
        "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic"],
    });
    const page = await browser.newPage();
    await page.setViewport({ width: 1320, height: 1100 });
    await page.evaluateOnNewDocument(recordFrames);
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    await page.waitForFunction(() => frameEnds.length > 0, { timeout: 120_000 });
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    const ends = await page.evaluate(() => frameEnds);
    results.push({ first: ends[0], fps: rate(ends) });
    await browser.close();
  }
  server.close();
  return results;
}

// A library preloaded into the native viewer notes when each buffer swap
// ends, on the clock Node's hrtime reads.
function swapNotes() {
  const source = path.join(scratch, "swaps.c");
  const library = path.join(scratch, "swaps.so");
  fs.writeFileSync(source, `
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <time.h>
void glfwSwapBuffers(void* window) {
    static void (*swap)(void*);
    if (!swap) swap = (void (*)(void*))dlsym(RTLD_NEXT, "glfwSwapBuffers");
    swap(window);
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    fprintf(stderr, "swap %lld\\n", now.tv_sec * 1000000000LL + now.tv_nsec);
}
`);
  execFileSync("cc", ["-shared", "-fPIC", "-O2", "-o", library, source, "-ldl"]);
  return library;
}

async function measureNative() {
  const library = swapNotes();
  const results = [];
  for (let run = 0; run < runs; run++) {
    const started = process.hrtime.bigint();
    const viewer = spawn(native, [], {
      cwd: repo,
      env: { ...process.env, LD_PRELOAD: library },
      stdio: ["ignore", "ignore", "pipe"],
    });
    const ends = [];
    let text = "";
    viewer.stderr.on("data", (chunk) => {
      text += chunk;
      for (const match of text.matchAll(/swap (\d+)\n/g)) {
        ends.push(Number(BigInt(match[1]) - started) / 1e6);
      }
      text = text.slice(text.lastIndexOf("\n") + 1);
    });
    await new Promise((resolve) => {
      const waiting = setInterval(() => {
        if (ends.length > 0 && ends.at(-1) > ends[0] + seconds * 1000) {
          clearInterval(waiting);
          viewer.on("exit", resolve);
          viewer.kill();
        }
      }, 100);
    });
    results.push({ first: ends[0], fps: rate(ends) });
  }
  return results;
}

function sizes() {
  return ["orvane.wasm", "orvane.data", "orvane.js"].map((name) => {
    const bytes = fs.readFileSync(path.join(site, name));
    return { name, raw: bytes.length, gzipped: zlib.gzipSync(bytes, { level: 9 }).length };
  });
}

const summary = (results) =>
  `first frame ${median(results.map((r) => r.first)).toFixed(0)} ms ` +
  `(${results.map((r) => r.first.toFixed(0)).join(", ")}), ` +
  `${median(results.map((r) => r.fps)).toFixed(1)} frames a second ` +
  `(${results.map((r) => r.fps.toFixed(1)).join(", ")})`;

if (!process.env.DISPLAY) {
  console.log("No display: run it as `make measure-web`, which brings a virtual one.");
  process.exit(1);
}
try {
  console.log(`Medians of ${runs} runs, each measured over ${seconds} s of free flight.`);
  console.log(`native (build/orvane, Mesa llvmpipe):  ${summary(await measureNative())}`);
  console.log(`web (Chromium headless, SwiftShader): ${summary(await measureWeb())}`);
  for (const { name, raw, gzipped } of sizes()) {
    console.log(`${name}: ${raw} bytes, ${gzipped} gzipped (level 9)`);
  }
} finally {
  fs.rmSync(scratch, { recursive: true, force: true });
}
