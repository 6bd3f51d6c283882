// The form that writes a parameter file: the configuration file's header, read by the program's
// own readers, prefills it; each value is checked as the program reads it, and the file as it
// would be saved goes through the program's parameter reading and header checks.
const KINDS = { 1: "text, one configuration", 2: "binary", 3: "text collection" };

export function setUpForm({ $, call, choose }) {
  let file = null;
  let header = null;
  let checking = 0;
  const rows = () => [...$("form-types").tBodies[0].rows];
  const value = (row, name) => row.querySelector(`.${name} input`).value.trim();

  $("form-cfg").onchange = async () => {
    file = $("form-cfg").files[0];
    $("form-fields").hidden = true;
    if (!file) return;
    const answer = await call("header", { inputs: [{ name: file.name, blob: file }] });
    header = answer.header;
    if (answer.error || !header.ok) {
      $("form-header").className = "error";
      $("form-header").textContent =
        answer.error ??
        (header.kind === 0
          ? `${file.name}: the name must end in .cfg, _coll.cfg or .bcf (after its first dot).`
          : `${file.name} cannot be read as the program reads it:\n${answer.messages}`);
      return;
    }
    $("form-header").className = "";
    $("form-header").textContent =
      `${file.name}: ${KINDS[header.kind]}, ${header.atoms.toLocaleString("en")} atoms of ` +
      `${header.counts.length} types (${header.counts.join(", ")}), box length ${header.box}.`;
    $("form-name").value = file.name;
    $("form-nconf").value = "1";
    $("form-nconf-label").hidden = header.kind !== 3;
    $("form-types").tBodies[0].replaceChildren(
      ...header.counts.map((count, k) => {
        const row = document.createElement("tr");
        row.innerHTML =
          `<td>${k + 1}</td><td>${count}</td><td class="symbol"><input></td>` +
          `<td class="count"><input value="${count}"></td><td class="indices"><input></td>`;
        return row;
      }),
    );
    $("form-fields").hidden = false;
    update();
  };

  // The values as the program reads them: a word without blanks, whole numbers, reals.
  const integer = /^[+-]?\d+$/;
  const real = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;
  function problems(option) {
    const found = [];
    if (!/^\S+$/.test($("form-name").value))
      found.push("The file name cannot be empty or hold blanks.");
    if (!integer.test($("form-nconf").value.trim())) found.push("Configurations: a whole number.");
    if (option === 4) {
      for (const id of ["form-min", "form-max"]) {
        const limit = $(id).value.trim();
        if (!real.test(limit) || Math.abs(Number(limit)) > 1)
          found.push("The slab's limits: numbers from -1 to 1.");
      }
    }
    rows().forEach((row, k) => {
      if (!/^\S+$/.test(value(row, "symbol")))
        found.push(`Type ${k + 1}: a symbol without blanks.`);
      if (option < 3 && !integer.test(value(row, "count")))
        found.push(`Type ${k + 1}: a whole number of atoms.`);
      if (
        option === 3 &&
        !value(row, "indices")
          .split(/\s+/)
          .every((index) => integer.test(index))
      ) {
        found.push(`Type ${k + 1}: whole-number indices, separated by blanks.`);
      }
    });
    return [...new Set(found)];
  }

  function text(option) {
    const lists = rows().map((row) => value(row, "indices").split(/\s+/).filter(Boolean));
    const line4 =
      option === 4
        ? `4  ${$("form-axis").value}  ${$("form-min").value.trim()} ${$("form-max").value.trim()}`
        : String(option);
    const types = rows().map((row, k) => {
      const symbol = value(row, "symbol");
      if (option === 4) return symbol;
      return `${symbol} ${option === 3 ? lists[k].length : value(row, "count")}`;
    });
    const indices = option === 3 ? lists.flat() : [];
    return [
      $("form-name").value.trim(),
      $("form-nconf").value.trim(),
      rows().length,
      line4,
      ...types,
      ...indices,
    ]
      .map((line) => `${line}\n`)
      .join("");
  }

  async function update() {
    const option = Number($("form-option").value);
    $("form-types").dataset.option = option;
    $("form-slab").hidden = option !== 4;
    const par = text(option);
    $("form-par").textContent = par;
    const name = $("form-name").value.trim();
    const base = name.split("/").at(-1).replace(/\..*$/, "") || "params";
    URL.revokeObjectURL($("form-download").href);
    $("form-download").href = URL.createObjectURL(new Blob([par]));
    $("form-download").download = `${base}.par`;
    const found = problems(option);
    $("form-check").className = found.length ? "error" : "";
    $("form-check").textContent = found.join("\n");
    $("form-use").disabled = found.length > 0;
    if (found.length) return;
    const mine = ++checking;
    const inputs = [
      { name: `${base}.par`, bytes: new TextEncoder().encode(par) },
      { name, blob: file },
    ];
    const answer = await call("check", { inputs });
    if (mine !== checking) return; // a later change is being checked
    $("form-check").className = answer.ok ? "" : "error";
    $("form-check").textContent =
      answer.error ??
      (answer.ok ? "The programs accept this parameter file." : "A run would stop here:") +
        (answer.messages ? `\n${answer.messages}` : "");
  }
  $("form-fields").oninput = update;

  $("form-use").onclick = () => {
    const par = new File([$("form-par").textContent], $("form-download").download);
    choose({ par, files: [{ file, path: $("form-name").value.trim() }] });
  };
}
