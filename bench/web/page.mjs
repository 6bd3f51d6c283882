// Drives the offline page in a headless browser for bench/web/run.sh (BROWSER: chromium, the
// default, or firefox):
//   node page.mjs PAGE ready RUNS                      prints the page's ready times (ms)
//   node page.mjs PAGE run PROGRAM PAR CFG             prints seconds, memory, and the
//                                                      SHA-256 of each download
//   node page.mjs FLOOR floor SIZE CFG                 prints the floor page's seconds for CFG
//                                                      and an output of SIZE bytes
// A run is timed by the page itself: from the click on Run to the downloads ready.
import { launchBrowser } from "../../tools/browsers.mjs";

const [url, what, ...rest] = process.argv.slice(2);
const browser = await launchBrowser(process.env.BROWSER || "chromium", { protocolTimeout: 600000 });
try {
  const page = await browser.newPage();
  const open = async () => {
    await page.goto(`file://${url}`);
    await page.waitForSelector("body[data-ready=true]", { timeout: 60000 });
    return Number(await page.$eval("body", (body) => body.dataset.readyMs));
  };
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
  } else {
    const [program, par, cfg] = rest;
    await open();
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
    console.log(`${shown.seconds}\t${shown.memory}\n${shown.hashes.join("\n")}`);
  }
} finally {
  await browser.close();
}
