// The offline page in a headless browser, opened from disk: the examples run through it, the form
// writes their parameter files and judges them as a run would, failing and cancelled runs,
// folders, the view, accessibility (axe-core) and the network. WEB_BROWSER is chromium (default)
// or firefox; PAGE names the page (default build-wasm/cfg2cmtx.html), WEB_TEST_OUTPUT the folder
// for the screenshot (default build-wasm/web-tests); UPDATE_SCREENSHOT=1 also writes it to
// web/screenshot.png.
import assert from "node:assert/strict";
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, readdirSync } from "node:fs";
import { rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";
import { after, afterEach, before, test } from "node:test";
import { unzipSync } from "fflate";
import { launchBrowser } from "../../tools/browsers.mjs";

const browserName = process.env.WEB_BROWSER || "chromium";
const firefox = browserName === "firefox";
const root = new URL("../../", import.meta.url).pathname;
const examples = join(root, "examples");
const output = process.env.WEB_TEST_OUTPUT || join(root, "build-wasm/web-tests");
const scratch = mkdtempSync("/tmp/cfg2cmtx-web-");
const read = (...path) => readFileSync(join(...path));
const help = (program) => read(root, "tests/help", `${program}.txt`).toString();
const axe = readFileSync(createRequire(import.meta.url).resolve("axe-core/axe.min.js"), "utf8");
mkdirSync(output, { recursive: true });
// A file of the scratch folder, written from text or bytes; returns its path.
const put = (name, content) => {
  mkdirSync(join(scratch, name, ".."), { recursive: true });
  writeFileSync(join(scratch, name), content);
  return join(scratch, name);
};

let browser;
let page;
const requests = [];
const pageErrors = [];
before(async () => {
  browser = await launchBrowser(browserName, { args: ["--enable-unsafe-swiftshader"] });
  page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 800 });
  page.on("request", (request) => requests.push(request.url()));
  page.on("pageerror", (error) => pageErrors.push(error.message));
});
after(() => browser?.close());
// No error may escape the page, a promise left unhandled included.
afterEach(() => assert.deepEqual(pageErrors.splice(0), []));

async function open() {
  await page.goto(`file://${process.env.PAGE || join(root, "build-wasm/cfg2cmtx.html")}`);
  await page.waitForSelector("body[data-ready=true]", { timeout: 30000 });
}

// axe-core finds no violation of impact critical or serious in the page as it stands.
async function accessible(state) {
  if (!(await page.evaluate(() => Boolean(window.axe)))) await page.evaluate(axe);
  const found = await page.evaluate(async () => {
    const { violations } = await window.axe.run(document, { resultTypes: ["violations"] });
    return violations.filter((v) => ["critical", "serious"].includes(v.impact)).map((v) => v.id);
  });
  assert.deepEqual(found, [], state);
}

const text = (selector) => page.$eval(selector, (element) => element.textContent);
const upload = async (selector, ...files) => (await page.$(selector)).uploadFile(...files);
// What the page shows after a run, with the bytes and type of every download.
const shown = () =>
  page.evaluate(async () => ({
    status: document.querySelector("#status").textContent,
    console: document.querySelector("#console").textContent,
    message: document.querySelector("#message").textContent,
    blocks: document.querySelectorAll("#console .run").length,
    zip: !document.querySelector("#zip").hidden,
    focused: document.activeElement.id,
    files: await Promise.all(
      [...document.querySelectorAll("#downloads a")].map(async (a) => {
        const blob = await (await fetch(a.href)).blob();
        return { name: a.download, path: a.textContent, type: blob.type, text: await blob.text() };
      }),
    ),
  }));

// One run through the page. The files go to the input `into`: #files, or #folder for a folder,
// which may hold the parameter file.
async function run(program, par, files = [], { into = "#files", before = () => {} } = {}) {
  await open();
  if (par) await upload("#par", par);
  if (files.length) await upload(into, ...files);
  await page.select("#program", program);
  await before();
  await page.click("#run");
  await page.waitForSelector("body[data-run=done]", { timeout: 60000 });
  return shown();
}

const cases = readdirSync(join(examples, "expected"));
const expected = (name, file) => read(examples, "expected", name, file).toString();
const inputOf = (name) => read(examples, `${name}.par`).toString().split("\n")[0];

// cfg2xyz's console and files for cfg2cmtx's: the same atoms, with the cell of the box.
const asXyz = (stdout) =>
  stdout
    .replaceAll("CrystalMaker format configuration file", "extended XYZ file")
    .replaceAll(".cmtx", ".xyz");
const xyzOf = (cmtx, box) => {
  const atoms = cmtx
    .split("\n")
    .slice(2, -1)
    .map((line) => line.replace(/^(\S+) \1 (.*) $/, "$1 $2"));
  const edge = (2 * box).toFixed(7);
  const cell = `Lattice="${edge} 0 0 0 ${edge} 0 0 0 ${edge}" Properties=species:S:1:pos:R:3 pbc="T T T"`;
  return [atoms.length, cell, ...atoms, ""].join("\n");
};

test("each example through the page gives the consoles and the files of both programs", async () => {
  await open();
  await accessible("loaded");
  for (const name of cases) {
    const cfg = inputOf(name);
    const seen = await run("both", join(examples, `${name}.par`), [join(examples, cfg)]);
    const stdout = expected(name, "stdout");
    assert.equal(seen.status, "0", name);
    assert.equal(seen.console, help("cfg2cmtx") + stdout + help("cfg2xyz") + asXyz(stdout), name);
    const cmtx = readdirSync(join(examples, "expected", name, "out"));
    const xyz = cmtx.filter((f) => f.endsWith(".cmtx")).map((f) => f.replace(/cmtx$/, "xyz"));
    assert.deepEqual(seen.files.map((f) => f.name).sort(), [...cmtx, ...xyz].sort(), name);
    const box = 15; // every example's box length
    for (const file of seen.files) {
      const want = expected(name, `out/${file.name.replace(/xyz$/, "cmtx")}`);
      assert.equal(file.text, file.name.endsWith(".xyz") ? xyzOf(want, box) : want, file.name);
      // Saved under its own name: a file without an extension is no text file.
      assert.equal(file.type, file.name.includes(".") ? "" : "application/octet-stream");
    }
    assert.equal(seen.focused, "outcome", name);
  }
  await accessible("after a run");
  // The zip of the last run holds every file.
  await page.click("#zip");
  await page.waitForSelector("#zip[data-ready]");
  const zip = await page.evaluate(async () => [
    ...new Uint8Array(await (await fetch(document.querySelector("#zip").href)).arrayBuffer()),
  ]);
  const unpacked = unzipSync(new Uint8Array(zip));
  const files = (await shown()).files;
  assert.deepEqual(Object.keys(unpacked).sort(), files.map((f) => f.path).sort());
  for (const file of files) assert.equal(Buffer.from(unpacked[file.path]).toString(), file.text);
});

// The canvas shows the box, both colours and the planes (many pixels that are not white), and
// nothing at its left and right edges: the box fits even a phone's narrow screen.
const colours = () =>
  page.$eval("#view canvas", (canvas) => {
    const copy = document.createElement("canvas");
    const { width, height } = Object.assign(copy, { width: canvas.width, height: canvas.height });
    const context = copy.getContext("2d");
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, width, height).data;
    const seen = { blue: 0, red: 0, other: 0, edges: 0 };
    for (let i = 0; i < pixels.length; i += 4) {
      const [r, g, b] = pixels.subarray(i, i + 3);
      const column = (i / 4) % width;
      if (r + g + b < 700 && (column < 2 || column >= width - 2)) seen.edges++;
      if (b > r + 60) seen.blue++;
      else if (r > b + 60 && r > g + 60) seen.red++;
      else if (r + g + b < 700) seen.other++;
    }
    return seen;
  });

test("the view draws the chosen atoms in their box, with the slab, on any screen", async () => {
  for (const width of [1000, 390]) {
    await page.setViewport({ width, height: 800 });
    await run("cmtx", join(examples, "option4.par"), [join(examples, "model_coll.cfg")]);
    await page.click("#downloads button");
    await page.waitForFunction(
      () => !document.querySelector("#view-note").textContent.includes("…"),
    );
    if (firefox && (await text("#view-note")).includes("WebGL")) {
      // Headless Firefox has no WebGL here: the page says so instead of drawing.
      assert.match(await text("#view-note"), /^This browser cannot draw in 3D here \(WebGL\)/);
      continue;
    }
    assert.equal(
      await page.$eval("#legend", (legend) => legend.innerText.replace(/\s+/g, " ")),
      "Si: 2 O: 4",
    );
    const label = await page.$eval(
      "#view canvas",
      (c) => `${c.getAttribute("role")}: ${c.ariaLabel}`,
    );
    assert.match(
      label,
      /^img: model_coll0000.cmtx: 6 atoms of 2 types \(Si, O\) in a box of edge 30, with/,
    );
    const seen = await colours();
    assert.ok(seen.blue > 100 && seen.red > 100 && seen.other > 1000, JSON.stringify(seen));
    assert.equal(seen.edges, 0, `${width} px: the box is cut off`);
    await accessible("the view shown");
    await page.screenshot({ path: join(output, `option4-${width}.png`), fullPage: true });
  }
  await page.setViewport({ width: 1000, height: 800 });
  if (process.env.UPDATE_SCREENSHOT)
    copyFileSync(join(output, "option4-1000.png"), join(root, "web/screenshot.png"));
});

// The form, filled in: the configuration file, then per type the symbol and, by option, the
// count (the header's count when left out) or the indices. Waits for the programs' verdict.
async function fill(cfg, { option, nconf, slab, types }) {
  await open();
  await upload("#form-cfg", cfg);
  await page.waitForSelector("#form-fields:not([hidden]), #form-header.error");
  if (await page.$("#form-header.error")) return;
  const type = async (selector, words) => {
    await page.$eval(selector, (input) => (input.value = ""));
    await page.type(selector, words);
  };
  if (nconf) await type("#form-nconf", nconf);
  await page.select("#form-option", option);
  if (slab) await page.select("#form-axis", slab[0]);
  for (const [k, id] of slab ? ["#form-min", "#form-max"].entries() : [])
    await type(id, slab[k + 1]);
  for (const [k, [symbol, count, indices]] of types.map((row) => row.split(",")).entries()) {
    const row = `#form-types tbody tr:nth-child(${k + 1})`;
    await type(`${row} .symbol input`, symbol);
    if (count) await type(`${row} .count input`, count);
    if (indices !== undefined) await type(`${row} .indices input`, indices);
  }
  await page.waitForSelector("#form-check[data-ok]");
}

// Per type "symbol,count,indices"; a count left out keeps the header's.
const siO = (option, more = {}) => ({ option, types: ["Si", "O"], ...more });
const choices = {
  option1: siO("1", { types: ["Si,3", "O,2"] }),
  option2: siO("2"),
  option3: siO("3", { types: ["Si,,7 2", "O,,11"] }),
  option4: siO("4", { nconf: "3", slab: ["1", "-0.7", "0.5"] }),
  binary: siO("2"),
};

test("the form writes each example's parameter file, which the programs accept", async () => {
  for (const [name, choice] of Object.entries(choices)) {
    await fill(join(examples, inputOf(name)), choice);
    assert.equal(await text("#form-par"), read(examples, `${name}.par`).toString(), name);
    // The collection's verdict says how far it looked.
    const covered = name === "option4" ? "\nChecked up to the first configuration; later" : "";
    assert.ok(
      (await text("#form-check")).startsWith(`cfg2cmtx accepts this parameter file.${covered}`),
    );
    await accessible(`the form for ${name}`);
  }
  await page.select("#program", "both");
  assert.equal(await text("#form-check"), "cfg2cmtx and cfg2xyz accept this parameter file.");
  // "Use it" carries the file to the run, and the focus with it.
  await page.click("#form-use");
  await page.waitForFunction(() => document.querySelector("#chosen").textContent.startsWith("The"));
  assert.equal(await page.evaluate(() => document.activeElement.id), "chosen");
  assert.equal(await text("#chosen"), "The run will use sample.par and sample.bcf.");
});

// sample.cfg with the atom counts of the header changed: 8 + 5 atoms said to be 12.
const sample = read(examples, "sample.cfg").toString().split("\n");
const thirteen = put(
  "thirteen.cfg",
  sample.map((l, k) => (k === 21 ? "           5" : l)).join("\n"),
);
// A binary file of 845,573,189 atoms of 0 types: no header, as a run finds.
const noise = put("noise.bcf", Buffer.from("Elf2\0\0\0\0 and more noise"));
const sampleCfg = join(examples, "sample.cfg");
const sheared = join(root, "tests/cases/xyz_sheared_box_refused/in/sheared.cfg");
const indices = (si, o) => siO("3", { types: [`Si,,${si}`, `O,,${o}`] });
// what, configuration file, choices, program, verdict, words
const verdicts = [
  ["counts that do not add up", thirteen, siO("2"), "cmtx", false, "add up to 13, but the total"],
  ["a file of noise", noise, siO("2"), "cmtx", false, "A run stops at the header of noise.bcf"],
  ["an index beyond the atoms", sampleCfg, indices("13", ""), "cmtx", false, "would stop here"],
  ["no index, none to write", sampleCfg, indices("", ""), "cmtx", true, "cfg2cmtx accepts"],
  ["a symbol left out", sampleCfg, siO("2", { types: ["Si", ""] }), "cmtx", false, "Type 2:"],
  ["a box that cfg2xyz refuses", sheared, siO("2"), "cmtx", true, "cfg2cmtx accepts"],
  ["the same, for both", sheared, siO("2"), "both", false, "cfg2xyz would stop here:"],
];

test("the form's verdict is the run's", async () => {
  for (const [what, cfg, choice, program, ok, words] of verdicts) {
    await fill(cfg, choice);
    await page.select("#program", program);
    // Nothing to download or use while the form shows errors; the header may refuse first.
    const [verdict, said, offered] = await page.evaluate(() => [
      document.querySelector("#form-check").dataset.ok,
      document.querySelector("#form-header").textContent +
        document.querySelector("#form-check").textContent,
      document.querySelector("#form-download").hasAttribute("href"),
    ]);
    assert.deepEqual([verdict, offered], [String(ok), ok], what);
    assert.ok(said.includes(words), `${what}: ${said}`);
  }
});

// Runs that fail: the program's own message, no file offered; a file not chosen or unreadable
// is named in plain words.
// A parameter file saved as UTF-16 without a byte-order mark names "s" as the program reads it.
const utf16 = Buffer.from(read(examples, "option2.par").toString(), "utf16le");
const failures = [
  ["axis.par", "sample.cfg\n1\n2\n4 3 -0.5 0.5\nSi\nO\n", ["sample.cfg"], "1", "can be 0,1 or 2!"],
  ["nomark.par", utf16, [], "1", "Unrecognized file extension"],
  ["empty.par", read(examples, "option2.par"), ["empty/sample.cfg"], "1", "file (0). Cannot run"],
  ["missing.par", read(examples, "option2.par"), [], "", "“sample.cfg”, which is not among"],
  ["gone.par", read(examples, "option2.par"), ["sample.cfg"], "", "“gone.par” could not be read"],
  ["cfg.par", "gone.cfg\n1\n2\n2\nSi 8\nO 4\n", ["gone.cfg"], "", "“gone.cfg” could not be read"],
];

test("a failing run shows the program's message, or plain words, and offers no file", async () => {
  put("empty/sample.cfg", "");
  put("sample.cfg", read(examples, "sample.cfg"));
  for (const [par, content, files, status, message] of failures) {
    put(par, content);
    put("gone.cfg", read(examples, "sample.cfg"));
    // A file deleted after it was chosen.
    const gone = () =>
      ["gone.par", "gone.cfg"].forEach((f) => rmSync(join(scratch, f), { force: true }));
    const chosen = files.map((f) => join(scratch, f));
    const seen = await run("both", join(scratch, par), chosen, { before: gone });
    assert.equal(seen.status, status, par);
    const said = seen.console + seen.message;
    assert.ok(said.includes(message), `${par}: ${said}`);
    if (status) assert.ok(seen.console.endsWith("\nQuit (y)?->\n"), par);
    assert.deepEqual([seen.files, seen.zip, seen.focused], [[], false, "outcome"], par);
  }
  await accessible("after a failure");
});

// WebDriver BiDi cannot choose a folder for Firefox; the rule is the page's own code in any case.
const noFolders = firefox && "Firefox's WebDriver BiDi cannot choose a folder";
test(
  "a folder: the file at the named path beside the parameter file, the one to run chosen",
  { skip: noFolders },
  async () => {
    put("project/data/sample.cfg", read(examples, "sample.cfg"));
    put("project/a/data/sample.cfg", "not this one");
    put("project/run.par", "data/sample.cfg\n1\n2\n2\nSi 8\nO 4\n");
    let seen = await run("cmtx", null, [join(scratch, "project")], { into: "#folder" });
    assert.deepEqual(
      seen.files.map((f) => [f.path, f.text]),
      [["data/sample.cmtx", expected("option2", "out/sample.cmtx")]],
    );
    // Two parameter files: the page asks which to run.
    put("project/other.par", "a/data/sample.cfg\n1\n2\n2\nSi 8\nO 4\n");
    seen = await run("cmtx", null, [join(scratch, "project")], { into: "#folder" });
    assert.deepEqual([seen.message, seen.files], ["Choose which parameter file to run.", []]);
    const choice = await page.$$eval(
      "#par-choice option",
      (options) => options.find((option) => option.textContent === "project/run.par").value,
    );
    await page.select("#par-choice", choice);
    await page.click("#run");
    await page.waitForSelector("body[data-run=done]");
    assert.equal((await shown()).files[0].path, "data/sample.cmtx");
    // Files chosen one by one: two of the same name are not guessed between.
    seen = await run("cmtx", join(scratch, "project/run.par"), [
      join(scratch, "project/data/sample.cfg"),
      join(scratch, "project/a/data/sample.cfg"),
    ]);
    assert.match(seen.message, /“data\/sample.cfg”, which could be any of 2 chosen files/);
  },
);

// A configuration of 1,500,000 atoms, about 54 MB: long enough a run to act during it.
const big = () => {
  const lines = sample.slice(0, 29);
  lines[6] = "     1500000";
  lines[17] = "      750000";
  lines[21] = "      750000";
  const atom = "  0.1234567  -0.7654321   0.5555555\n";
  return put("big.cfg", lines.join("\n") + "\n" + atom.repeat(1500000));
};

test("one run at a time, with its progress, that Cancel stops", async () => {
  const par = put("big.par", "big.cfg\n1\n2\n2\nSi 2\nO 2\n");
  const cfg = big();
  const start = async () => {
    await open();
    await upload("#par", par);
    await upload("#files", cfg);
    await page.select("#program", "both");
  };
  // Two clicks in one moment: one run, whose choices cannot change until it ends.
  await start();
  await page.$eval("#run", (button) => (button.click(), button.click()));
  const locked = await page.$$eval("#par, #files, #folder, #program, #run", (all) =>
    all.every((input) => input.disabled),
  );
  await page.waitForSelector("body[data-run=done]", { timeout: 60000 });
  let seen = await shown();
  assert.deepEqual([locked, seen.status, seen.blocks, seen.files.length], [true, "0", 2, 2]);
  assert.equal(await page.$eval("#progress", (p) => p.value === p.max && p.max > 5e7), true);
  await start();
  await page.click("#run");
  await page.click("#cancel");
  await page.waitForSelector("body[data-run=done]");
  seen = await shown();
  assert.deepEqual([seen.message, seen.status, seen.files], ["Cancelled", "", []]);
});

test("a module that cannot be made says so", async () => {
  // Every instance of the module fails as a browser out of memory would make it fail.
  await page.evaluateOnNewDocument(() => {
    const Real = Worker;
    window.Worker = function (url) {
      const broken = `WebAssembly.instantiate = () => Promise.reject(new Error("no memory"));`;
      const request = new XMLHttpRequest();
      request.open("GET", url, false);
      request.send();
      const source = new Blob([broken + request.responseText], { type: "text/javascript" });
      return new Real(URL.createObjectURL(source));
    };
  });
  const seen = await run("cmtx", join(examples, "option2.par"), [join(examples, "sample.cfg")]);
  assert.deepEqual([seen.status, seen.message], ["", "The browser stopped the run: no memory"]);
});

test("once loaded from disk, the page makes no network request", () => {
  assert.ok(firefox || requests.length > 0);
  assert.deepEqual(
    requests.filter((url) => !/^(file|blob|data):/.test(url)),
    [],
  );
});
