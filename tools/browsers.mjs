// The browsers that the page's tests and benchmark start, headless, each with a fresh profile:
// Chromium (CHROMIUM, default Debian's) with nothing of the browser's own that reaches the
// network, so that a request seen from the page is the page's, and Firefox ESR (FIREFOX, default
// Debian's), driven over WebDriver BiDi.
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

// puppeteer's own preferences for Firefox already keep it off the network.
export function launchFirefox(options = {}) {
  return puppeteer.launch({
    browser: "firefox",
    executablePath: process.env.FIREFOX || "/usr/lib/firefox-esr/firefox-esr",
    ...options,
  });
}

// launchBrowser("chromium" or "firefox", options)
export const launchBrowser = (name, options) =>
  name === "firefox" ? launchFirefox(options) : launchChromium(options);
