// Drives the offline page in headless Chromium for bench/web/run.sh:
//   node page.mjs PAGE ready RUNS                      prints the page's ready times (ms)
//   node page.mjs PAGE run PROGRAM PAR CFG             prints seconds, memory, and the
//                                                      SHA-256 of each download
// A run is timed by the page itself: from the last file chosen to the downloads ready.
import { launchChromium } from "../../tools/chromium.mjs";

const [url, what, ...rest] = process.argv.slice(2);
const browser = await launchChromium({ protocolTimeout: 600000 });
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
  } else {
    const [program, par, cfg] = rest;
    await open();
    // The program first: the time runs from the last file chosen, and Run follows at once.
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
