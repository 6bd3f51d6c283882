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
// The page's scripts are modules that node, going by package.json, would take as CommonJS.
const { parseAtoms } = await import(
  `data:text/javascript,${encodeURIComponent(readFileSync(new URL("../../web/atoms.js", import.meta.url)))}`
);
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
    ...Object.fromEntries(
      ["status", "console", "message", "downloads", "memory"].map((id) => [
        id,
        document.getElementById(id).textContent,
      ]),
    ),
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
  // A click on the element itself: the text above the button changes as the files are chosen.
  await page.$eval("#run", (button) => button.click());
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
const xyzOf = (cmtx) => {
  const atoms = cmtx
    .split("\n")
    .slice(2, -1)
    .map((line) => line.replace(/^(\S+) \1 (.*) $/, "$1 $2"));
  const edge = "30.0000000"; // every example's box length is 15
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
    for (const file of seen.files) {
      const want = expected(name, `out/${file.name.replace(/xyz$/, "cmtx")}`);
      assert.equal(file.text, file.name.endsWith(".xyz") ? xyzOf(want) : want, file.name);
      // Saved under its own name: a file without an extension is no text file.
      assert.equal(file.type, file.name.includes(".") ? "" : "application/octet-stream");
      assert.ok(seen.downloads.includes(`${file.path} (${Buffer.byteLength(file.text)} bytes)`));
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
    const seen = { blue: 0, red: 0, other: 0, edges: 0, area: width * height };
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

// The first file written, viewed; false where the browser draws no WebGL (headless Firefox here),
// after checking that the page says so instead of drawing.
async function view() {
  await page.click("#downloads button");
  await page.waitForFunction(() => !document.querySelector("#view-note").textContent.includes("…"));
  if (!firefox || !(await text("#view-note")).includes("WebGL")) return true;
  assert.match(await text("#view-note"), /^This browser cannot draw in 3D here \(WebGL\)/);
  return false;
}

// The view's reading of the writers' files: each atom's symbol and coordinates, in .cmtx and in
// .xyz, the values that are not numbers included.
test("the view reads the atoms of both kinds of file", () => {
  const atoms = "Si 4.0309200 -25.4230050 0.5000000 \nO nan -0.0000001 10 \n";
  const cmtx = `MOLE\nATOM\n${atoms.replace(/^(\S+)/gm, "$1 $1")}`;
  for (const [name, text] of [
    ["a.cmtx", cmtx],
    ["a.xyz", `2\ncell\n${atoms}`],
  ]) {
    const { symbols, types, positions } = parseAtoms(new TextEncoder().encode(text), name);
    assert.deepEqual([symbols.join(), types.join()], ["Si,O", "0,1"], name);
    const want = [4.03092, -25.423005, 0.5, NaN, -1e-7, 10].map(Math.fround);
    assert.deepEqual([...positions], want, name);
  }
});

// sample.cfg with n atoms in one place, half of each type; 1,500,000 make about 50 MB, long
// enough a run to act during it.
const sample = read(examples, "sample.cfg").toString().split("\n");
const big = (n = 1500000) => {
  const counts = { 6: n, 17: n / 2, 21: n / 2 };
  const head = sample.slice(0, 29).map((line, k) => counts[k] ?? line);
  return put("big.cfg", `${head.join("\n")}\n${"  0.1234567 -0.7654321 0.5555555\n".repeat(n)}`);
};

test("the view draws the chosen atoms in their box, with the slab, on any screen", async () => {
  for (const width of [1000, 390]) {
    await page.setViewport({ width, height: 800 });
    await run("cmtx", join(examples, "option4.par"), [join(examples, "model_coll.cfg")]);
    if (!(await view())) continue;
    // The legend, and what the picture says to a screen reader.
    const said = await page.evaluate(() =>
      [document.querySelector("#legend").innerText, document.querySelector("#view canvas")]
        .map((c) => (c.ariaLabel ? `${c.role}: ${c.ariaLabel}` : c.replace(/\s+/g, " ")))
        .join("; "),
    );
    const label = "model_coll0000.cmtx: 6 atoms of 2 types (Si, O) in a box of edge 30, with";
    assert.ok(said.startsWith(`Si: 2 O: 4; img: ${label}`), said);
    const seen = await colours();
    assert.ok(seen.blue > 100 && seen.red > 100 && seen.other > 1000, JSON.stringify(seen));
    // Six atoms in a box are small spheres, not balls that fill it.
    assert.ok(seen.blue + seen.red < 0.005 * seen.area, JSON.stringify(seen));
    assert.equal(seen.edges, 0, `${width} px: the box is cut off`);
    await accessible("the view shown");
    await page.screenshot({ path: join(output, `option4-${width}.png`), fullPage: true });
  }
  await page.setViewport({ width: 1000, height: 800 });
  // Atoms whose coordinates are not numbers hide none of the others.
  const notFinite = join(root, "tests/cases/bcf_list_not_finite_coordinates/in");
  await run("cmtx", join(notFinite, "p.par"), [join(notFinite, "model.bcf")]);
  if (await view()) assert.ok((await colours()).blue > 50);
  // Many atoms are smaller spheres: 8,000 in one place are one sphere of 0.015 of the edge.
  await run("cmtx", put("8000.par", "big.cfg\n1\n2\n2\nSi 4000\nO 4000\n"), [big(8000)]);
  const drawn = (await view()) && (await colours());
  assert.ok(
    !drawn || (drawn.blue + drawn.red > 100 && drawn.blue + drawn.red < 500),
    JSON.stringify(drawn),
  );
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
const indices = (si, o) => siO("3", { types: [`Si,,${si}`, `O,,${o}`] });
// A binary file of 845,573,189 atoms of 0 types: no header, as a run finds.
const noise = put("noise.bcf", Buffer.from("Elf2\0\0\0\0 and more noise"));
const sheared = join(root, "tests/cases/xyz_sheared_box_refused/in/sheared.cfg");
const accepts = "cfg2cmtx accepts this parameter file.";
const slab = ["1", "-0.7", "0.5"];
const covered = `${accepts}\nChecked up to the first configuration; later ones are checked as`;
// what (an example's name: its parameter file is the one the form must write), configuration
// file, choices, program, verdict, words
const forms = [
  ["a file of noise", noise, siO("2"), "cmtx", false, "A run stops at the header of noise.bcf"],
  ["an index too high", "sample.cfg", indices("13", ""), "both", false, "\n\ncfg2xyz would"],
  ["no index, none to write", "sample.cfg", indices("", ""), "cmtx", true, accepts],
  ["an index that is no number", "sample.cfg", indices("x", ""), "cmtx", false, "Type 1: whole"],
  ["a symbol left out", "sample.cfg", siO("2", { types: ["Si", ""] }), "cmtx", false, "Type 2:"],
  ["a box that cfg2xyz refuses", sheared, siO("2"), "cmtx", true, accepts],
  ["the same, for both", sheared, siO("2"), "both", false, "cfg2xyz would stop here:"],
  ["option1", "sample.cfg", siO("1", { types: ["Si,3", "O,2"] }), "cmtx", true, accepts],
  ["option2", "sample.cfg", siO("2"), "cmtx", true, accepts],
  ["option3", "sample.cfg", siO("3", { types: ["Si,,7 2", "O,,11"] }), "cmtx", true, accepts],
  // The collection's verdict says how far it looked.
  ["option4", "model_coll.cfg", siO("4", { nconf: "3", slab }), "cmtx", true, covered],
  ["binary", "sample.bcf", siO("2"), "both", true, "cfg2cmtx and cfg2xyz accept this"],
];

test("the form writes each example's parameter file, and its verdict is the run's", async () => {
  for (const [what, cfg, choice, program, ok, words] of forms) {
    await fill(cfg.includes("/") ? cfg : join(examples, cfg), choice);
    await page.select("#program", program);
    // Nothing to download or use while the form shows errors; the header may refuse first.
    const [verdict, said, offered, par] = await page.evaluate(() => [
      document.querySelector("#form-check").dataset.ok,
      document.querySelector("#form-header").textContent +
        document.querySelector("#form-check").textContent,
      document.querySelector("#form-download").hasAttribute("href"),
      document.querySelector("#form-par").textContent,
    ]);
    assert.deepEqual([verdict, offered], [String(ok), ok], what);
    assert.ok(said.includes(words), `${what}: ${said}`);
    if (!cases.includes(what)) continue;
    assert.equal(par, read(examples, `${what}.par`).toString(), what);
    await accessible(`the form for ${what}`);
  }
  // "Use it" carries the file to the run, and the focus with it.
  await page.click("#form-use");
  await page.waitForFunction(() => document.querySelector("#chosen").textContent.startsWith("The"));
  assert.equal(await page.evaluate(() => document.activeElement.id), "chosen");
  assert.equal(await text("#chosen"), "The run will use sample.par and sample.bcf.");
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
    if (status) assert.ok(seen.console.endsWith("\nQuit (y)?->\n") && !seen.message, par);
    assert.deepEqual(
      [seen.files, seen.zip, seen.focused, seen.blocks < 2],
      [[], false, "outcome", true],
      par,
    );
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
    put("project/run.par", "data//sample.cfg\n1\n2\n2\nSi 8\nO 4\n");
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
    await page.$eval("#run", (button) => button.click());
    await page.waitForSelector("body[data-run=done]");
    assert.equal((await shown()).files[0].path, "data/sample.cmtx");
    // Chosen on its own, the parameter file has no folder: any folder's data/sample.cfg counts.
    seen = await run("cmtx", join(scratch, "project/run.par"), [join(scratch, "project")], {
      into: "#folder",
    });
    assert.match(
      seen.message,
      /any of 2 chosen files \(project\/(a\/)?data\/sample.cfg, project\/(a\/)?data\/sample.cfg\)/,
    );
    // Files chosen one by one: two of the same name are not guessed between.
    seen = await run("cmtx", join(scratch, "project/run.par"), [
      join(scratch, "project/data/sample.cfg"),
      join(scratch, "project/a/data/sample.cfg"),
    ]);
    assert.match(
      seen.message,
      /“data\/\/sample.cfg”, which could be any of 2 chosen files \(sample.cfg, sample.cfg\)/,
    );
  },
);

test("one run at a time, with its progress, that Cancel stops", async () => {
  const par = put("big.par", "big.cfg\n1\n2\n2\nSi 750000\nO 750000\n");
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
  assert.equal(await page.$eval("#progress", (p) => p.value === p.max && p.max > 4e7), true);
  assert.match(seen.memory, /files written \d{3} MiB\)$/);
  // Too many atoms for spheres: points, in their colours.
  if (await view()) {
    const { blue, red } = await colours(); // every atom stands at the same place
    assert.ok(blue + red > 0 && (await text("#view-note")).includes("drawn as points"));
  }
  await start();
  await page.$eval("#run", (button) => button.click());
  await page.click("#cancel");
  await page.waitForSelector("body[data-run=done]");
  seen = await shown();
  assert.deepEqual([seen.message, seen.status, seen.files], ["Cancelled", "", []]);
});

test("a module that cannot be made, or a file the view cannot read, says so", async () => {
  // The worker's script begins with window.broken, which breaks the WebAssembly API.
  await page.evaluateOnNewDocument(() => {
    const Real = Blob;
    window.Blob = function (parts, options) {
      return new Real(
        options?.type === "text/javascript" ? [window.broken, ...parts] : parts,
        options,
      );
    };
  });
  const breakWith = (code) => page.evaluateOnNewDocument((c) => (window.broken = c), code);
  // A worker that cannot read a file for the view says why.
  await breakWith(`Uint8Array.prototype.indexOf = () => { throw new Error("no memory"); };`);
  await run("cmtx", join(examples, "option2.par"), [join(examples, "sample.cfg")]);
  await view();
  assert.equal(await text("#view-note"), "The file cannot be shown: no memory");
  // Every instance of the module fails, as a browser out of memory makes it fail.
  await breakWith(`WebAssembly.instantiate = () => Promise.reject(new Error("no memory"));`);
  const seen = await run("cmtx", join(examples, "option2.par"), [join(examples, "sample.cfg")]);
  assert.deepEqual([seen.status, seen.message], ["", "The browser stopped the run: no memory"]);
  await upload("#form-cfg", join(examples, "sample.cfg"));
  await page.waitForFunction(() => document.querySelector("#form-header").textContent);
  assert.equal(await text("#form-header"), "no memory");
  // A browser that cannot compile the module says so as the page loads.
  await breakWith(`WebAssembly.compile = () => Promise.reject(new Error("no WebAssembly"));`);
  await page.reload();
  await page.waitForSelector("body[data-ready=false]");
  assert.equal(await text("#loading"), "The programs cannot run in this browser: no WebAssembly");
});

test("once loaded from disk, the page makes no network request", () => {
  assert.ok(firefox || requests.length > 0);
  assert.deepEqual(
    requests.filter((url) => !/^(file|blob|data):/.test(url)),
    [],
  );
});
