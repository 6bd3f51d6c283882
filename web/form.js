// The form that writes a parameter file: the configuration file's header, read by the program's
// own readers, prefills it; each value is checked as the program reads it, and the file as it
// would be saved goes through everything a run does before it writes its first file, with the
// program chosen for the run. Its verdict is #form-check's data-ok.
const KINDS = { 1: "text, one configuration", 2: "binary", 3: "text collection" };
const PAUSE = 150; // ms of no typing before the programs check the file

export function setUpForm({ $, call, choose, unreadable, programs }) {
  let file = null;
  let checking = 0;
  let waitingToCheck;
  let verdicts = null;
  let parUrl = "";
  const rows = () => [...$("form-types").tBodies[0].rows];
  const value = (row, name) => row.querySelector(`.${name} input`).value.trim();
  const indices = (row) => value(row, "indices").split(/\s+/).filter(Boolean);

  $("form-cfg").onchange = async () => {
    file = $("form-cfg").files[0];
    $("form-fields").hidden = true;
    if (!file) return;
    const header = await call("header", { inputs: [{ name: file.name, blob: file }] });
    const refused = headerProblem(header);
    $("form-header").className = refused ? "error" : "";
    $("form-header").textContent = refused ?? headerText(header);
    if (!refused) return fill(header);
    verdicts = null;
    show(false, "No parameter file can make a run of this file go past its header.");
  };

  function headerProblem(header) {
    if (header.type !== "answer")
      return header.file ? unreadable(header.file, header.message) : header.message;
    if (header.kind === 0)
      return `${file.name}: the name must end in .cfg, _coll.cfg or .bcf (after its first dot).`;
    if (!header.ok) return `A run stops at the header of ${file.name}:\n${header.console}`;
    return null;
  }

  // The program converts a box of any length; one that is not a positive number is said.
  function headerText({ kind, atoms, counts, box }) {
    const text =
      `${file.name}: ${KINDS[kind]}, ${atoms.toLocaleString("en")} atoms of ` +
      `${counts.length} types (${counts.join(", ")}), box length ${box}.`;
    return typeof box === "number" && box > 0
      ? text
      : `${text} The lengths written will be ${box === "nan" ? "nan" : "meaningless"}.`;
  }

  function fill(header) {
    $("form-name").value = file.name;
    $("form-nconf").value = "1";
    $("form-nconf-label").hidden = header.kind !== 3;
    $("form-types").tBodies[0].replaceChildren(
      ...header.counts.map((count, k) => {
        const row = document.createElement("tr");
        const type = `type ${k + 1}`;
        row.innerHTML =
          `<td>${k + 1}</td><td>${count}</td>` +
          `<td class="symbol"><input aria-label="Symbol of ${type}"></td>` +
          `<td class="count"><input aria-label="Atoms to write of ${type}" value="${count}"></td>` +
          `<td class="indices"><input aria-label="Indices of ${type}"></td>`;
        return row;
      }),
    );
    $("form-fields").hidden = false;
    update();
  }

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
      if (option === 3 && !indices(row).every((index) => integer.test(index)))
        found.push(`Type ${k + 1}: whole-number indices, separated by blanks.`);
    });
    return [...new Set(found)];
  }

  function text(option) {
    const lists = rows().map(indices);
    const line4 =
      option === 4
        ? `4  ${$("form-axis").value}  ${$("form-min").value.trim()} ${$("form-max").value.trim()}`
        : String(option);
    const types = rows().map((row, k) => {
      const symbol = value(row, "symbol");
      if (option === 4) return symbol;
      return `${symbol} ${option === 3 ? lists[k].length : value(row, "count")}`;
    });
    return [
      $("form-name").value.trim(),
      $("form-nconf").value.trim(),
      rows().length,
      line4,
      ...types,
      ...(option === 3 ? lists.flat() : []),
    ]
      .map((line) => `${line}\n`)
      .join("");
  }

  const parName = () =>
    `${$("form-name").value.trim().split("/").at(-1).replace(/\..*$/, "") || "params"}.par`;

  // The file as it would be saved at once; the programs' check once typing pauses.
  function update() {
    const option = Number($("form-option").value);
    $("form-types").dataset.option = option;
    $("form-slab").hidden = option !== 4;
    const par = text(option);
    $("form-par").textContent = par;
    const found = problems(option);
    URL.revokeObjectURL(parUrl);
    parUrl = URL.createObjectURL(new Blob([par]));
    $("form-download").download = parName();
    clearTimeout(waitingToCheck);
    const mine = ++checking;
    verdicts = null;
    if (found.length) return show(false, found.join("\n"));
    show(null, "Checking…");
    waitingToCheck = setTimeout(() => check(par, mine), PAUSE);
  }

  async function check(par, mine) {
    const inputs = [
      { name: parName(), bytes: new TextEncoder().encode(par) },
      { name: $("form-name").value.trim(), blob: file },
    ];
    const answer = await call("check", { inputs, programs: programs.both });
    if (mine !== checking || answer.type === "cancelled") return; // a later change is checked
    if (answer.type !== "answer") {
      return show(false, answer.file ? unreadable(answer.file, answer.message) : answer.message);
    }
    verdicts = answer.verdicts;
    judge();
  }

  // The verdict for the programs that the run would use.
  function judge() {
    if (!verdicts) return;
    const mine = verdicts.filter((v) => programs[$("program").value].includes(v.program));
    const stops = mine.filter((v) => !v.ok);
    const names = mine.map((v) => v.program).join(" and ");
    const { kind, nconf } = mine[0];
    const covered =
      kind === 3 && nconf > 1
        ? "\nChecked up to the first configuration; later ones are checked as they are converted."
        : "";
    show(
      !stops.length,
      stops.length
        ? stops.map((v) => `${v.program} would stop here:\n${v.console}`).join("\n")
        : `${names} ${mine.length > 1 ? "accept" : "accepts"} this parameter file.${covered}` +
            (mine[0].console ? `\n${mine[0].console}` : ""),
    );
  }

  // The file is offered, for download or for the run, once the programs accept it.
  function show(ok, words) {
    const download = $("form-download");
    if (ok) download.href = parUrl;
    else download.removeAttribute("href");
    download.setAttribute("aria-disabled", String(!ok));
    $("form-check").className = ok === false ? "error" : "";
    if (ok === null) delete $("form-check").dataset.ok;
    else $("form-check").dataset.ok = String(ok);
    $("form-check").textContent = words;
    $("form-use").disabled = !ok || document.body.dataset.run === "running";
  }

  $("form-fields").oninput = update;
  $("program").addEventListener("change", judge);

  // The parameter file goes to section 1, with the configuration file, for a run there.
  $("form-use").onclick = () => {
    const par = new File([$("form-par").textContent], parName());
    choose({
      par: { file: par, path: par.name },
      files: [{ file, path: $("form-name").value.trim() }],
    });
    $("chosen").focus();
    $("chosen").scrollIntoView({ block: "center" });
  };
}
