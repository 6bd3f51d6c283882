// Drives the offline page in a headless browser for bench/web/run.sh (BROWSER: chromium, the
// default, or firefox):
//   node page.mjs PAGE ready RUNS                      prints the page's ready times (ms)
//   node page.mjs PAGE run PROGRAM PAR CFG             prints seconds, memory, and the
//                                                      SHA-256 of each download
//   node page.mjs FLOOR floor SIZE CFG                 prints the floor page's seconds for CFG
//                                                      and an output of SIZE bytes
//   node page.mjs PAGE alternate OTHER RUNS PROGRAM PAR CFG
//                                                      times the two pages in turn, RUNS each, in
//                                                      this one browser; prints their medians and
//                                                      OTHER/PAGE with a 95 % bootstrap interval
// A run is timed by the page itself: from the click on Run to the downloads ready.
import { launchBrowser } from "../../tools/browsers.mjs";

const [url, what, ...rest] = process.argv.slice(2);
const browser = await launchBrowser(process.env.BROWSER || "chromium", { protocolTimeout: 600000 });
const page = await browser.newPage();
const open = async (at = url) => {
  await page.goto(`file://${at}`);
  await page.waitForSelector("body[data-ready=true]", { timeout: 60000 });
  return Number(await page.$eval("body", (body) => body.dataset.readyMs));
};
try {
  if (what === "ready") {
    const times = [];
    for (let i = 0; i < Number(rest[0]); i++) times.push(await open());
    console.log(times.join(" "));
  } else if (what === "floor") {
    const [size, cfg] = rest;
    await page.goto(`file://${url}`);
    await page.$eval("#size", (input, value) => (input.value = value), size);
    await (await page.$("#files")).uploadFile(cfg);
    await page.click("#run");
    await page.waitForSelector("body[data-run=done]", { timeout: 0 });
    console.log(await page.$eval("body", (body) => body.dataset.seconds));
  } else if (what === "alternate") {
    const [other, runs, ...files] = rest;
    const times = [[], []];
    // Each round in the other order, so that neither page always follows the other.
    for (let i = 0; i < Number(runs); i++) {
      for (const which of i % 2 ? [1, 0] : [0, 1]) {
        times[which].push(Number((await runOn([url, other][which], ...files)).seconds));
      }
    }
    console.log(compare(...times));
  } else {
    const shown = await runOn(url, ...rest);
    console.log(`${shown.seconds}\t${shown.memory}\n${shown.hashes.join("\n")}`);
  }
} finally {
  await browser.close();
}

// One run of PROGRAM on the page at AT, freshly opened: what the page shows at its end, which
// must be a run that succeeded.
async function runOn(at, program, par, cfg) {
  await open(at);
  await page.select("#program", program);
  await (await page.$("#par")).uploadFile(par);
  await (await page.$("#files")).uploadFile(cfg);
  await page.click("#run");
  await page.waitForSelector("body[data-run=done]", { timeout: 0 });
  const shown = await page.evaluate(async () => ({
    status: document.querySelector("#status").textContent,
    seconds: document.body.dataset.seconds,
    memory: document.querySelector("#memory").textContent,
    message: document.querySelector("#message").textContent,
    hashes: await Promise.all(
      [...document.querySelectorAll("#downloads a")].map(async (a) => {
        const bytes = await (await fetch(a.href)).arrayBuffer();
        const hash = new Uint8Array(await crypto.subtle.digest("SHA-256", bytes));
        return `${[...hash].map((b) => b.toString(16).padStart(2, "0")).join("")}  ${a.download}`;
      }),
    ),
  }));
  if (shown.status !== "0") throw new Error(`status ${shown.status}: ${shown.message}`);
  return shown;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor((sorted.length - 1) / 2)];
}

// The medians of two sets of times, and the ratio of the second's to the first's with the 2.5th
// and 97.5th percentiles of that ratio over 2,000 resamplings of both sets.
function compare(first, second) {
  const resample = (values) => values.map(() => values[Math.floor(Math.random() * values.length)]);
  const ratios = [];
  for (let i = 0; i < 2000; i++) ratios.push(median(resample(second)) / median(resample(first)));
  ratios.sort((a, b) => a - b);
  const [m1, m2] = [median(first), median(second)];
  const f = (x) => x.toFixed(3);
  return `${f(m1)}\t${f(m2)}\t${f(m2 / m1)}\t${f(ratios[49])}\t${f(ratios[1949])}`;
}
