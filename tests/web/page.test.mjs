// The offline page in headless Chromium, opened from disk: the examples run through it, the form
// writes their parameter files, failing runs, the view and the network. PAGE names the page
// (default build-wasm/cfg2cmtx.html), WEB_TEST_OUTPUT the folder for the screenshot (default
// build-wasm/web-tests); UPDATE_SCREENSHOT=1 also writes it to web/screenshot.png.
import assert from "node:assert/strict";
import {
  copyFileSync,
  mkdirSync,
  mkdtempSync,
  readFileSync,
  readdirSync,
  writeFileSync,
} from "node:fs";
import { join } from "node:path";
import { after, before, test } from "node:test";
import { unzipSync } from "fflate";
import { launchChromium } from "../../tools/chromium.mjs";

const root = new URL("../../", import.meta.url).pathname;
const examples = join(root, "examples");
const output = process.env.WEB_TEST_OUTPUT || join(root, "build-wasm/web-tests");
const scratch = mkdtempSync("/tmp/cfg2cmtx-web-");
const read = (...path) => readFileSync(join(...path));
const help = (program) => read(root, "tests/help", `${program}.txt`).toString();
mkdirSync(output, { recursive: true });

let browser;
let page;
const requests = [];
before(async () => {
  browser = await launchChromium({ args: ["--enable-unsafe-swiftshader"] });
  page = await browser.newPage();
  await page.setViewport({ width: 1000, height: 800 });
  page.on("request", (request) => requests.push(request.url()));
  page.on("pageerror", (error) => assert.fail(`page error: ${error.message}`));
});
after(() => browser?.close());

async function open() {
  await page.goto(`file://${process.env.PAGE || join(root, "build-wasm/cfg2cmtx.html")}`);
  await page.waitForSelector("body[data-ready=true]", { timeout: 10000 });
}

// One run through the page; returns what it shows, with the bytes of every download. The files
// go to the input `into`: #files, or #folder for a folder, which may hold the parameter file.
async function run(program, par, files = [], into = "#files") {
  await open();
  if (par) await (await page.$("#par")).uploadFile(par);
  if (files.length) await (await page.$(into)).uploadFile(...files);
  await page.select("#program", program);
  await page.click("#run");
  await page.waitForSelector("body[data-run=done]", { timeout: 60000 });
  return page.evaluate(async () => ({
    status: document.querySelector("#status").textContent,
    console: document.querySelector("#console").textContent,
    message: document.querySelector("#message").textContent,
    zip: !document.querySelector("#zip").hidden,
    files: await Promise.all(
      [...document.querySelectorAll("#downloads a")].map(async (a) => ({
        name: a.download,
        path: a.textContent,
        text: await (await fetch(a.href)).text(),
      })),
    ),
  }));
}

const cases = readdirSync(join(examples, "expected"));
const expected = (name, file) => read(examples, "expected", name, file).toString();
const inputOf = (name) => read(examples, `${name}.par`).toString().split("\n")[0];

test("each example through the page gives the console and the files of the program", async () => {
  for (const name of cases) {
    const shown = await run("cmtx", join(examples, `${name}.par`), [join(examples, inputOf(name))]);
    assert.equal(shown.status, "0", name);
    assert.equal(shown.console, help("cfg2cmtx") + expected(name, "stdout"), name);
    const want = readdirSync(join(examples, "expected", name, "out")).sort();
    assert.deepEqual(
      shown.files.map((f) => f.name),
      want,
      name,
    );
    for (const file of shown.files)
      assert.equal(file.text, expected(name, `out/${file.name}`), file.name);
  }
});

test("both programs: the .xyz files hold the .cmtx atoms in the box, the zip holds every file", async () => {
  const shown = await run("both", join(examples, "option4.par"), [
    join(examples, "model_coll.cfg"),
  ]);
  const stdout = expected("option4", "stdout");
  const xyzStdout = stdout
    .replaceAll("CrystalMaker format configuration file", "extended XYZ file")
    .replaceAll(".cmtx", ".xyz");
  assert.equal(shown.console, help("cfg2cmtx") + stdout + help("cfg2xyz") + xyzStdout);
  const box = Number(
    read(examples, "model_coll.cfg").toString().split("\n")[13].trim().split(/\s+/)[0],
  );
  for (let i = 0; i < 3; i++) {
    const cmtx = expected("option4", `out/model_coll000${i}.cmtx`).split("\n").slice(2, -1);
    const atoms = cmtx.map((line) => line.replace(/^(\S+) \1 (.*) $/, "$1 $2"));
    const edge = (2 * box).toFixed(7);
    const cell = `Lattice="${edge} 0 0 0 ${edge} 0 0 0 ${edge}" Properties=species:S:1:pos:R:3 pbc="T T T"`;
    const xyz = shown.files.find((f) => f.name === `model_coll000${i}.xyz`).text;
    assert.equal(xyz, [atoms.length, cell, ...atoms, ""].join("\n"));
  }
  await page.click("#zip");
  await page.waitForSelector("#zip[data-ready]");
  const zip = await page.evaluate(async () => [
    ...new Uint8Array(await (await fetch(document.querySelector("#zip").href)).arrayBuffer()),
  ]);
  const unpacked = unzipSync(new Uint8Array(zip));
  assert.deepEqual(Object.keys(unpacked).sort(), shown.files.map((f) => f.path).sort());
  for (const file of shown.files)
    assert.equal(Buffer.from(unpacked[file.path]).toString(), file.text);
});

test("the view draws the chosen atoms in their box, with the slab", async () => {
  await run("cmtx", join(examples, "option4.par"), [join(examples, "model_coll.cfg")]);
  await page.click("#downloads button");
  await page.waitForFunction(() => document.querySelector("#legend").textContent);
  assert.equal(
    await page.$eval("#legend", (legend) => legend.innerText.replace(/\s+/g, " ")),
    "Si: 2 O: 4",
  );
  // The canvas shows the box, both colours and the planes: many pixels that are not white.
  const colours = await page.$eval("#view canvas", (canvas) => {
    const copy = document.createElement("canvas");
    [copy.width, copy.height] = [canvas.width, canvas.height];
    const context = copy.getContext("2d");
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, copy.width, copy.height).data;
    const seen = { blue: 0, red: 0, other: 0 };
    for (let i = 0; i < pixels.length; i += 4) {
      const [r, g, b] = pixels.subarray(i, i + 3);
      if (b > r + 60) seen.blue++;
      else if (r > b + 60 && r > g + 60) seen.red++;
      else if (r + g + b < 700) seen.other++;
    }
    return seen;
  });
  assert.ok(
    colours.blue > 500 && colours.red > 500 && colours.other > 500,
    JSON.stringify(colours),
  );
  await page.screenshot({ path: join(output, "option4.png"), fullPage: true });
  if (process.env.UPDATE_SCREENSHOT)
    copyFileSync(join(output, "option4.png"), join(root, "web/screenshot.png"));
});

// The choices of each example in the form: per type the symbol and, by option, the count (the
// header's count when left out) or the indices.
const choices = {
  option1: {
    option: "1",
    types: [
      ["Si", "3"],
      ["O", "2"],
    ],
  },
  option2: { option: "2", types: [["Si"], ["O"]] },
  option3: {
    option: "3",
    types: [
      ["Si", "", "7 2"],
      ["O", "", "11"],
    ],
  },
  option4: { option: "4", nconf: "3", slab: ["1", "-0.7", "0.5"], types: [["Si"], ["O"]] },
  binary: { option: "2", types: [["Si"], ["O"]] },
};

test("the form writes each example's parameter file from the same choices", async () => {
  for (const [name, choice] of Object.entries(choices)) {
    await open();
    await (await page.$("#form-cfg")).uploadFile(join(examples, inputOf(name)));
    await page.waitForSelector("#form-fields:not([hidden])");
    const type = async (selector, text) => {
      await page.$eval(selector, (input) => (input.value = ""));
      await page.type(selector, text);
    };
    if (choice.nconf) await type("#form-nconf", choice.nconf);
    await page.select("#form-option", choice.option);
    if (choice.slab) {
      await page.select("#form-axis", choice.slab[0]);
      await type("#form-min", choice.slab[1]);
      await type("#form-max", choice.slab[2]);
    }
    for (const [k, [symbol, count, indices]] of choice.types.entries()) {
      const row = `#form-types tbody tr:nth-child(${k + 1})`;
      await type(`${row} .symbol input`, symbol);
      if (count) await type(`${row} .count input`, count);
      if (indices) await type(`${row} .indices input`, indices);
    }
    await page.waitForFunction(() =>
      document.querySelector("#form-check").textContent.startsWith("The programs accept"),
    );
    assert.equal(
      await page.$eval("#form-par", (pre) => pre.textContent),
      read(examples, `${name}.par`).toString(),
      name,
    );
  }
});

// Runs that fail: the program's own message, no file offered; a file not chosen is named.
const utf16 = Buffer.concat([
  Buffer.from([0xff, 0xfe]),
  Buffer.from(read(examples, "option2.par").toString(), "utf16le"),
]);
const failures = [
  [
    "axis.par",
    "sample.cfg\n1\n2\n4 3 -0.5 0.5\nSi\nO\n",
    ["sample.cfg"],
    "1",
    "The value of the axis perpendicular to the cutting planes can be 0,1 or 2!",
  ],
  [
    "utf16.par",
    utf16,
    ["sample.cfg"],
    "1",
    "The parameter file utf16.par is UTF-16; save it as UTF-8",
  ],
  [
    "empty.par",
    read(examples, "option2.par"),
    ["empty/sample.cfg"],
    "1",
    "in the configuration file (0). Cannot run this way, exiting...",
  ],
  [
    "kind.par",
    "sample.txt\n1\n2\n2\nSi 8\nO 4\n",
    ["sample.txt"],
    "1",
    "Unrecognized file extension",
  ],
  [
    "missing.par",
    read(examples, "option2.par"),
    [],
    "",
    "“sample.cfg”, which is not among the chosen files",
  ],
];

test("a failing run shows the program's message and offers no file", async () => {
  mkdirSync(join(scratch, "empty"));
  writeFileSync(join(scratch, "empty/sample.cfg"), "");
  writeFileSync(join(scratch, "sample.txt"), read(examples, "sample.cfg"));
  copyFileSync(join(examples, "sample.cfg"), join(scratch, "sample.cfg"));
  for (const [par, text, files, status, message] of failures) {
    writeFileSync(join(scratch, par), text);
    const shown = await run(
      "both",
      join(scratch, par),
      files.map((file) => join(scratch, file)),
    );
    assert.equal(shown.status, status, par);
    assert.ok(
      (shown.console + shown.message).includes(message),
      `${par}: ${shown.console}${shown.message}`,
    );
    if (status) assert.ok(shown.console.endsWith("\nQuit (y)?->\n"), par);
    assert.deepEqual([shown.files, shown.zip], [[], false], par);
  }
});

test("a folder: its parameter file names a file with a folder part, the output lands beside it", async () => {
  mkdirSync(join(scratch, "project/data"), { recursive: true });
  copyFileSync(join(examples, "sample.cfg"), join(scratch, "project/data/sample.cfg"));
  writeFileSync(join(scratch, "project/run.par"), "data/sample.cfg\n1\n2\n2\nSi 8\nO 4\n");
  const shown = await run("cmtx", null, [join(scratch, "project")], "#folder");
  assert.deepEqual(
    shown.files.map((f) => [f.path, f.name]),
    [["data/sample.cmtx", "sample.cmtx"]],
  );
  assert.equal(shown.files[0].text, expected("option2", "out/sample.cmtx"));
});

test("once loaded from disk, the page makes no network request", () => {
  assert.ok(requests.length > 0);
  assert.deepEqual(
    requests.filter((url) => !/^(file|blob|data):/.test(url)),
    [],
  );
});
