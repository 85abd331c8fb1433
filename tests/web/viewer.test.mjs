// The web build in a real browser: Debian's Chromium, headless on SwiftShader,
// loads the site through a server on 127.0.0.1 and is driven like a person
// would. The page's animation frames and its clock are the test's own: a
// frame runs only when the test steps it, each 1/60 s after the last, so the
// flight is the same on any machine and no verdict depends on the frame rate;
// every wait is for a condition, with a generous deadline.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";
import { serve } from "../../web/serve.mjs";

const site = process.env.ORVANE_SITE ?? path.resolve("build-web/site");
const deadline = 120_000;

let server;
let browser;
let userData;

before(async () => {
  server = await serve(site);
  userData = fs.mkdtempSync(path.join(os.tmpdir(), "orvane-chromium-"));
  browser = await puppeteer.launch({
    executablePath: process.env.ORVANE_CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    userDataDir: userData,
    protocolTimeout: deadline,
    args: ["--headless=new", "--no-sandbox", "--use-angle=swiftshader",
      "--enable-unsafe-swiftshader", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic"],
  });
});

after(async () => {
  await browser?.close();
  server?.close();
  if (userData) fs.rmSync(userData, { recursive: true, force: true });
});

// Runs in the page before its own scripts.
function holdFrames(changedFiles) {
  let now = 0;
  let waiting = [];
  Object.defineProperty(performance, "now", { value: () => now });
  window.requestAnimationFrame = (callback) => waiting.push(callback);
  // Input the page has taken in, so that a step never runs before it.
  const events = { mousemove: 0, keydown: 0, keyup: 0 };
  for (const type of Object.keys(events)) addEventListener(type, () => events[type]++, true);
  const sky = (data, i) =>
    Math.abs(data[i] - 77) <= 3 && Math.abs(data[i + 1] - 128) <= 3 && data[i + 2] >= 250;
  window.orvaneTest = {
    events,
    frames: 0,
    asked: () => waiting.length,
    // Runs the frames and returns what the last one drew, read at once: once
    // the browser has shown the picture, it clears it.
    step(count) {
      for (let i = 0; i < count && waiting.length > 0; i++) {
        now += 1000 / 60;
        const due = waiting;
        waiting = [];
        due.forEach((callback) => callback(now));
        this.frames++;
      }
      return this.look();
    },
    look() {
      const gl = Module.ctx;
      const [width, height] = [gl.drawingBufferWidth, gl.drawingBufferHeight];
      const data = new Uint8Array(width * height * 4);
      gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, data);
      const at = (x, rowFromTop) => ((height - 1 - rowFromTop) * width + x) * 4;
      const seen = { width, height, grass: 0, emblem: 0, black: 0, topSky: 0, horizon: height };
      for (let i = 0; i < data.length; i += 4) {
        const [r, g, b] = [data[i], data[i + 1], data[i + 2]];
        seen.grass += g > r + 10 && g > b + 25;
        // The crate's emblem, teal or orange, which the flyer wears.
        seen.emblem += (g > r + 30 && b > r + 30) || (r > g + 30 && g > b + 30);
        seen.black += r + g + b === 0;
      }
      for (let x = 0; x < width; x++) seen.topSky += sky(data, at(x, 0));
      // The first row from the top that is not sky, in a column clear of the flyer.
      for (let row = 0; row < height && seen.horizon === height; row++) {
        if (!sky(data, at(150, row))) seen.horizon = row;
      }
      return seen;
    },
  };
  if (!changedFiles) return;
  // The page's Module, as it is handed to emscripten: the files are changed
  // in the packed data once it is in, before the program starts (null: gone).
  let module;
  Object.defineProperty(window, "Module", {
    get: () => module,
    set: (value) => {
      if (value !== module) {
        const started = value.onRuntimeInitialized;
        value.onRuntimeInitialized = () => {
          for (const [file, text] of Object.entries(changedFiles)) {
            if (text === null) FS.unlink(file);
            else FS.writeFile(file, text);
          }
          started?.();
        };
      }
      module = value;
    },
  });
}

// A fresh page with the viewer started; problems it shows are collected.
// The page is asked things without the user gesture that puppeteer's own
// evaluate lends, which would let the viewer take the mouse without a click.
async function openViewer(changedFiles = null) {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 1320, height: 1100 });
  const problems = [];
  page.on("pageerror", (error) => problems.push(`page error: ${error.message}`));
  page.on("dialog", async (dialog) => {
    problems.push(`dialog: ${dialog.message()}`);
    await dialog.dismiss();
  });
  page.on("console", (message) => {
    if (message.type() === "error") problems.push(`console: ${message.text()}`);
  });
  await page.evaluateOnNewDocument(holdFrames, changedFiles);
  const session = await page.createCDPSession();
  const evaluate = async (fn, ...values) => {
    const { result, exceptionDetails } = await session.send("Runtime.evaluate", {
      expression: `(${fn})(...${JSON.stringify(values)})`,
      returnByValue: true,
      awaitPromise: true,
    });
    if (exceptionDetails) {
      throw new Error(exceptionDetails.exception?.description ?? exceptionDetails.text);
    }
    return result.value;
  };
  const until = async (condition, ...values) => {
    const end = Date.now() + deadline;
    while (!(await evaluate(condition, ...values))) {
      assert.ok(Date.now() < end, `not within ${deadline / 1000} s: ${condition}`);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  };
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  const viewer = {
    page,
    problems,
    evaluate,
    until,
    step: (count) => evaluate((n) => orvaneTest.step(n), count),
    look: () => evaluate(() => orvaneTest.look()),
    lines: () => evaluate(() =>
      [...document.getElementById("console").children].map((row) => row.textContent)),
    status: () => evaluate(() => document.getElementById("status").textContent),
    ended: () => until(() => document.getElementById("status").dataset.ended === "yes"),
    // Gives input and waits until the page has taken it in.
    input: async (type, give) => {
      const before = await evaluate((t) => orvaneTest.events[t], type);
      await give(page);
      await until((t, n) => orvaneTest.events[t] > n, type, before);
    },
    close: () => context.close(),
  };
  // Started: set-up done and the first frame asked for, or ended at start-up.
  await until(() => orvaneTest.asked() > 0 || document.getElementById("status").dataset.ended);
  return viewer;
}

// The body on a fresh viewer, which is closed after it, whatever happened;
// whatever the body checks, the page must have shown no problem.
async function withViewer(changedFiles, body) {
  const viewer = await openViewer(changedFiles);
  try {
    const result = await body(viewer);
    assert.deepEqual(viewer.problems, []);
    return result;
  } finally {
    await viewer.close();
  }
}

const hull = "Models/Untitled/models/textures/hull.png";
const paint = "Models/Untitled/models/paint.png";
const nativeLines = ["4", hull, `Loaded texture '${hull}'`, paint, `Loaded texture '${paint}'`,
  "Textures/CompanionCube.png", "Textures/CompanionCube.png", "Textures/GrassTexture.png"];

test("the first frame shows sky, ground and the flyer; the console lines are the native build's",
  () => withViewer(null, async (viewer) => {
    const first = await viewer.step(1);
    assert.deepEqual([first.width, first.height], [1280, 768]);
    // The clear colour's alpha is 0: with an alpha channel, the page would show through.
    assert.equal(await viewer.evaluate(() => Module.ctx.getContextAttributes().alpha), false);
    assert.equal(first.topSky, 1280, "the top row is not all sky");
    assert.ok(first.grass > 100_000, `ground: ${first.grass} grass pixels`);
    assert.ok(first.emblem > 1000, `flyer: ${first.emblem} pixels of the crate's emblem`);
    await viewer.step(10);
    assert.deepEqual(await viewer.lines(), nativeLines);
  }));

// The pointer moved down turns the view down: the ground's far edge rises.
test("the mouse steers only once a click has taken it", () => withViewer(null, async (viewer) => {
  const start = (await viewer.step(1)).horizon;
  await viewer.input("mousemove", (page) => page.mouse.move(640, 300));
  await viewer.input("mousemove", (page) => page.mouse.move(640, 360));
  const hovered = (await viewer.step(1)).horizon;
  assert.ok(Math.abs(hovered - start) <= 2, `turned without a click: ${start} -> ${hovered}`);
  await viewer.page.mouse.click(640, 360);
  await viewer.until(() => document.pointerLockElement === document.getElementById("canvas"));
  await viewer.input("mousemove", (page) => page.mouse.move(640, 380));
  const turned = (await viewer.step(1)).horizon;
  assert.ok(turned < hovered - 20, `did not turn down: ${hovered} -> ${turned}`);
}));

// Two runs of the same frames, one with Up held: it flies further, so the
// ground's far edge comes nearer and shows lower.
test("holding the up arrow speeds the flight", async () => {
  const farEdgeAfter = (holdUp) => withViewer(null, async (viewer) => {
    if (holdUp) await viewer.input("keydown", (page) => page.keyboard.down("ArrowUp"));
    return (await viewer.step(120)).horizon;
  });
  const cruising = await farEdgeAfter(false);
  const faster = await farEdgeAfter(true);
  assert.ok(faster > cruising + 10, `not faster: far edge at row ${cruising}, with Up ${faster}`);
});

// Pressed and released between two frames, as a quick tap is.
test("an Escape tapped between two frames ends the run", () => withViewer(null, async (viewer) => {
  await viewer.step(2);
  await viewer.input("keyup", (page) => page.keyboard.press("Escape"));
  await viewer.step(1);
  await viewer.ended();
  assert.match(await viewer.status(), /^The viewer has ended\. /);
  await viewer.step(5);
  assert.equal(await viewer.evaluate(() => orvaneTest.frames), 3, "frames after the end");
  assert.deepEqual(await viewer.lines(), nativeLines);
}));

test("a missing shader file shows its line, draws nothing and ends the run",
  () => withViewer({ "/Shader/shader.vert": null }, async (viewer) => {
    await viewer.ended();
    assert.match(await viewer.status(), /could not start/);
    assert.deepEqual(await viewer.lines(), ["Failed to open shader file: Shader/shader.vert"]);
    assert.equal(await viewer.evaluate(() => orvaneTest.asked()), 0, "a frame was asked for");
    const seen = await viewer.look();
    assert.equal(seen.black, seen.width * seen.height, "something was drawn");
  }));

// Assimp reports this document's unresolved scene by throwing inside its
// importer: caught there, as on the desktop, rather than ending the program.
const model = "Models/Untitled/models/Untitled.dae";
const unresolvedScene = '<?xml version="1.0"?><COLLADA version="1.4.1"><scene>' +
  '<instance_visual_scene url="#nowhere"/></scene></COLLADA>';
test("a model Assimp cannot read is reported and the run goes on",
  () => withViewer({ [`/${model}`]: unresolvedScene }, async (viewer) => {
    const first = await viewer.step(3);
    assert.equal(first.topSky, 1280);
    assert.deepEqual(await viewer.lines(), [`Failed to load the scene: ${model}`,
      "Textures/CompanionCube.png", "Textures/GrassTexture.png"]);
    assert.equal(await viewer.evaluate(() => orvaneTest.asked()), 1, "the run did not go on");
  }));
