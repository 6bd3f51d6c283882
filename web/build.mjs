// Puts the page together into one file: node build.mjs MODULE.js OUT.html
// MODULE.js is Emscripten's factory of the WebAssembly module, with MODULE.wasm beside it. The
// Web Worker's script (the WebAssembly in base64, the factory and worker.js with fflate) goes into
// the page as text, from which the page starts the worker; page.js with three.js follows it.
// buildPage() also takes a banner, code put first in both scripts (the mutation runs use it).
import { readFileSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { build } from "esbuild";

const here = dirname(fileURLToPath(import.meta.url));

async function bundle(entry) {
  const result = await build({
    entryPoints: [join(here, entry)],
    bundle: true,
    minify: true,
    format: "iife",
    target: "es2020",
    write: false,
    legalComments: "none",
  });
  return result.outputFiles[0].text;
}

// Text inside a script element ends at "</script"; in the scripts it can only stand in strings
// and regular expressions, where "<\/script" means the same.
function inScript(code) {
  if (code.includes("<!--")) throw new Error("a script holds <!--, which the HTML parser reads");
  return code.replace(/<\/(script)/gi, "<\\/$1");
}

export async function buildPage(moduleJs, out, banner = "") {
  const wasm = readFileSync(moduleJs.replace(/\.js$/, ".wasm")).toString("base64");
  const module = readFileSync(moduleJs, "utf8");
  const worker = `${banner}var WASM_BASE64="${wasm}";\n${module}\n${await bundle("worker.js")}`;
  const page = readFileSync(join(here, "index.html"), "utf8").replace(
    "<!--style-->",
    () => `<style>${readFileSync(join(here, "style.css"), "utf8")}</style>`,
  );
  const scripts =
    `<script type="text/plain" id="worker-source">${inScript(worker)}</script>\n` +
    `<script>${inScript(banner + (await bundle("page.js")))}</script>`;
  writeFileSync(
    out,
    page.replace("<!--scripts-->", () => scripts),
  );
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [moduleJs, out] = process.argv.slice(2);
  await buildPage(moduleJs, out);
}
