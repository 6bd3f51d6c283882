// One mutant's run for StrykerJS (stryker.config.mjs), in Stryker's copy of the project: builds
// the page from the copy's web/*.js, whose mutants Stryker has put in, with the mutant that
// Stryker names active, then runs the browser tests on that page. Its exit status is theirs:
//   node tools/stryker-mutant.mjs BUILD-WASM
// BUILD-WASM is the project's own WebAssembly build, whose module the page takes; when the copy's
// module_post.js (linked into the module) holds mutants, the module is linked again with it,
// once for the whole run.
import { spawnSync } from "node:child_process";
import { existsSync, mkdirSync, readFileSync, renameSync } from "node:fs";
import { join, resolve } from "node:path";
import { buildPage } from "../web/build.mjs";

const build = resolve(process.argv[2]);
const here = process.cwd();
const mutant = process.env.__STRYKER_ACTIVE_MUTANT__ ?? "";
mkdirSync(join(here, "build-mutant"), { recursive: true });

// The module as the project builds it, or linked again with the copy's module_post.js.
function moduleWithPostJs() {
  const original = join(build, "web/cfg2cmtx_page.js");
  const post = readFileSync(join(here, "web/module_post.js"), "utf8");
  const projectPost = join(build, "..", "web/module_post.js");
  if (!existsSync(projectPost) || post === readFileSync(projectPost, "utf8")) return original;
  const linked = join(here, "build-mutant/module/cfg2cmtx_page.js");
  if (existsSync(linked)) return linked;
  mkdirSync(join(here, "build-mutant/module"), { recursive: true });
  const partial = `${linked}.${process.pid}.js`;
  const link = readFileSync(join(build, "web/CMakeFiles/cfg2cmtx_page.dir/link.txt"), "utf8")
    .replace(/--post-js \S+/, `--post-js ${join(here, "web/module_post.js")}`)
    .replace(/-o cfg2cmtx_page\.js/, `-o ${partial}`);
  const done = spawnSync("sh", ["-c", link], { cwd: join(build, "web"), stdio: "inherit" });
  if (done.status !== 0) process.exit(2);
  renameSync(partial.replace(/\.js$/, ".wasm"), linked.replace(/\.js$/, ".wasm"));
  renameSync(partial, linked);
  return linked;
}

const page = join(here, `build-mutant/page-${mutant || "none"}.html`);
await buildPage(
  moduleWithPostJs(),
  page,
  `globalThis.__stryker__ = { activeMutant: ${JSON.stringify(mutant || undefined)} };\n`,
);
const output = join(here, `build-mutant/tests-${mutant || "none"}`);
const tests = spawnSync(process.execPath, ["--test", "tests/web/"], {
  env: { ...process.env, PAGE: page, WEB_TEST_OUTPUT: output },
  stdio: ["ignore", "ignore", "inherit"],
});
process.exit(tests.status ?? 1);
