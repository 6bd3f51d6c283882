// StrykerJS over the page's own scripts (web/*.js): each mutant is one small fault put into one
// of them, built into the page, and the browser tests must fail on it (tools/stryker-mutant.mjs).
//   npx stryker run tools/stryker.config.mjs
// Needs the page built first (tools/build-web.sh), Chromium, and time: the browser tests take
// about two minutes a mutant here. SAMPLE code lines (default 50, "all" for every one) are drawn
// from the scripts with the seed SEED (default 1), so that two runs with the same seed draw the
// same lines. The report goes to build-wasm/stryker/ (mutation.html, mutation.json).
import { readdirSync, readFileSync } from "node:fs";

// A small generator with a seed (mulberry32), for a sample that can be drawn again.
function random(seed) {
  let state = seed >>> 0;
  return () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = Math.imul(state ^ (state >>> 15), 1 | state);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

// Every line of the scripts that holds code, as "web/FILE.js:LINE-LINE".
const scripts = readdirSync("web").filter((name) => name.endsWith(".js"));
const lines = scripts.flatMap((name) =>
  readFileSync(`web/${name}`, "utf8")
    .split("\n")
    .map((text, k) => ({ text: text.trim(), at: `web/${name}:${k + 1}-${k + 1}` }))
    .filter(({ text }) => text && !text.startsWith("//") && !/^[)\]};,]+$/.test(text))
    .map(({ at }) => at),
);
const sample = process.env.SAMPLE || "50";
const draw = random(Number(process.env.SEED || "1"));
const mutate =
  sample === "all"
    ? scripts.map((name) => `web/${name}`)
    : lines
        .map((at) => ({ at, key: draw() }))
        .sort((a, b) => a.key - b.key)
        .slice(0, Number(sample))
        .map(({ at }) => at);

export default {
  testRunner: "command",
  commandRunner: { command: `node tools/stryker-mutant.mjs ${process.cwd()}/build-wasm` },
  mutate,
  concurrency: 1,
  coverageAnalysis: "off",
  timeoutMS: 240000,
  ignorePatterns: ["/build*", "/dist", "/.stryker-tmp", "/fuzz/corpus"],
  reporters: ["clear-text", "progress", "html", "json"],
  htmlReporter: { fileName: "build-wasm/stryker/mutation.html" },
  jsonReporter: { fileName: "build-wasm/stryker/mutation.json" },
  tempDirName: ".stryker-tmp",
};
