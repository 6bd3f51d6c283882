// Headless Chromium as the page's tests and benchmark start it: CHROMIUM names the browser
// (default Debian's), a fresh profile, and nothing of the browser's own that reaches the network,
// so that a request seen from the page is the page's.
import { mkdtempSync } from "node:fs";
import puppeteer from "puppeteer-core";

export function launchChromium({ args = [], ...options } = {}) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      // A container's /dev/shm may be 64 MB, too little for a renderer's shared memory.
      "--disable-dev-shm-usage",
      `--user-data-dir=${mkdtempSync("/tmp/cfg2cmtx-chromium-")}`,
      ...args,
    ],
    ...options,
  });
}
