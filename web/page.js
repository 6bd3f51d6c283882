// The page: the chosen files, the run of the programs in the Web Worker, the console, the
// downloads, the parameter file form and the view. A click on Run is one transaction: the page
// locks its choices in the same tick, works on the files chosen at that moment, and ends in one
// visible state: done, failed with words, or cancelled.
import { setUpForm } from "./form.js";
import { showAtoms } from "./view.js";

const $ = (id) => document.getElementById(id);

// --- the worker ---------------------------------------------------------------------------------
// Each call has an id; the worker's messages for it (console, help, progress, then the answer or
// an error) go to that call's handlers.
let worker;
let ready;
const waiting = new Map();
let calls = 0;
function startWorker() {
  const source = new Blob([$("worker-source").textContent], { type: "text/javascript" });
  worker = new Worker(URL.createObjectURL(source));
  let started;
  ready = new Promise((resolve) => (started = resolve));
  worker.onmessage = ({ data }) => {
    if (data.type === "ready") return void started(data);
    const handlers = waiting.get(data.id);
    if (!handlers) return;
    if (data.type === "answer" || data.type === "error") {
      waiting.delete(data.id);
      handlers.resolve(data);
    } else handlers[data.type]?.(data);
  };
  // A worker that dies (out of memory, say) answers nothing more: every call waiting on it ends
  // with the error, and a new worker takes its place.
  worker.onerror = (event) => {
    event.preventDefault();
    restartWorker({ type: "error", message: event.message || "the worker stopped" });
  };
}
function restartWorker(answer) {
  worker.terminate();
  for (const handlers of waiting.values()) handlers.resolve(answer);
  waiting.clear();
  startWorker();
}
async function call(type, payload, handlers = {}) {
  const { ok, error } = await ready;
  if (!ok) return { type: "error", message: error };
  return new Promise((resolve) => {
    const id = ++calls;
    waiting.set(id, { ...handlers, resolve });
    worker.postMessage({ type, id, ...payload });
  });
}
startWorker();
ready.then(({ ok, error }) => {
  $("loading").textContent = ok ? "" : `The programs cannot run in this browser: ${error}`;
  $("run").disabled = !ok;
  document.body.dataset.readyMs = performance.now().toFixed(0);
  document.body.dataset.ready = ok;
});

// Plain words for a file that the browser could not read.
const unreadable = (name, message) =>
  `“${name}” could not be read (the browser says: ${message}); choose it again.`;

// --- the chosen files ---------------------------------------------------------------------------
// files: { file, path } with the folder part, if any. The parameter files are the one chosen on
// its own, or else every .par among the files; when there are several, the user says which.
const chosen = { par: null, files: [] };
const isPar = (path) => path.toLowerCase().endsWith(".par");
const parameterFiles = () =>
  chosen.par ? [chosen.par] : chosen.files.filter((f) => isPar(f.path));
function selectedPar() {
  const pars = parameterFiles();
  const choice = $("par-choice").value;
  return pars.length === 1 ? pars[0] : choice && pars[Number(choice)];
}

// The configuration file for the name a parameter file gives: the chosen file at that path
// relative to the parameter file's folder. A parameter file chosen on its own has no folder: the
// file at the end of any chosen folder's path counts too. Files chosen one by one have no
// folders: the one of the name's file name counts. Two that could match are not guessed between.
function resolve(name, par) {
  const folder = par.path.slice(0, par.path.lastIndexOf("/") + 1);
  const parts = [];
  for (const part of (folder + name).split("/")) {
    if (part === "..") parts.pop();
    else if (part && part !== ".") parts.push(part);
  }
  const wanted = parts.join("/");
  let found = chosen.files.filter(
    (f) => f.path === wanted || (!folder && f.path.endsWith(`/${wanted}`)),
  );
  if (!found.length) found = chosen.files.filter((f) => f.path === parts.at(-1));
  return { found, wanted };
}

// What a run of the parameter file would use: { par, bytes, cfg } or { problem } in words.
async function plan(par) {
  if (!par) {
    const several = parameterFiles().length > 1;
    return {
      problem: several ? "Choose which parameter file to run." : "Choose the parameter file.",
    };
  }
  let bytes;
  try {
    bytes = new Uint8Array(await par.file.arrayBuffer());
  } catch (error) {
    return { problem: unreadable(par.path, error.message) };
  }
  const parName = par.file.name;
  const named = await call("named", { inputs: [{ name: parName, bytes }] });
  if (named.type !== "answer") return { problem: failure(named) };
  // A parameter file that stops the program before it opens its configuration file runs alone.
  if (!named.needed) return { par: parName, bytes };
  const { found, wanted } = resolve(named.name, par);
  if (found.length === 1) return { par: parName, bytes, cfg: { name: named.name, file: found[0] } };
  return {
    problem: found.length
      ? `The parameter file names “${named.name}”, which could be any of ${found.length} chosen ` +
        `files (${found.map((f) => f.path).join(", ")}): choose only the one it means, or the ` +
        "folder that holds the parameter file."
      : `The parameter file names the configuration file “${named.name}”, which is not among ` +
        `the chosen files (looked for as “${wanted}”): choose it too, or the folder that holds it.`,
  };
}

// Shows which files a run would use, or what is missing.
let shownPlan = 0;
async function showPlan() {
  const mine = ++shownPlan;
  const pars = parameterFiles();
  $("par-choice-label").hidden = pars.length < 2;
  const planned = await plan(selectedPar());
  if (mine !== shownPlan) return;
  $("chosen").textContent =
    planned.problem ??
    `The run will use ${planned.par}${planned.cfg ? ` and ${planned.cfg.file.path}` : ""}.`;
}

function choose({ par, files }) {
  if (par !== undefined) chosen.par = par;
  if (files) chosen.files = files;
  const pars = parameterFiles();
  $("par-choice").replaceChildren(
    new Option("Which parameter file?", ""),
    ...pars.map((f, k) => new Option(f.path, String(k))),
  );
  $("message").textContent = "";
  showPlan();
}
const listed = (input) =>
  [...input.files].map((file) => ({ file, path: file.webkitRelativePath || file.name }));
$("par").onchange = () => {
  const file = $("par").files[0];
  choose({ par: file ? { file, path: file.name } : null });
};
$("files").onchange = () => choose({ files: listed($("files")) });
$("folder").onchange = () => choose({ files: listed($("folder")) });
$("par-choice").onchange = showPlan;

// Dropped files and folders; folders are read whole.
async function entries(entry, path = "") {
  if (entry.isFile) {
    const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
    return [{ file, path: path + file.name }];
  }
  const reader = entry.createReader();
  const found = [];
  for (let batch; (batch = await new Promise((ok, no) => reader.readEntries(ok, no))).length;) {
    for (const child of batch) found.push(...(await entries(child, `${path}${entry.name}/`)));
  }
  return found;
}
const section = $("run-section");
section.ondragover = (event) => {
  event.preventDefault();
  if (!running) section.classList.add("dragging");
};
section.ondragleave = () => section.classList.remove("dragging");
section.ondrop = async (event) => {
  event.preventDefault();
  section.classList.remove("dragging");
  if (running) return;
  const dropped = [...event.dataTransfer.items]
    .map((item) => item.webkitGetAsEntry())
    .filter(Boolean);
  const files = (await Promise.all(dropped.map((entry) => entries(entry)))).flat();
  choose({ par: null, files });
};

// --- the run ------------------------------------------------------------------------------------
const programs = { cmtx: ["cfg2cmtx"], xyz: ["cfg2xyz"], both: ["cfg2cmtx", "cfg2xyz"] };
let outputs = [];
let outputsName = "";
let urls = [];
let running = false;

// One program's part of the console: the help text folded into its first line, then the rest
// as printed, standard error marked. The text is exactly the bytes, decoded as UTF-8.
function consoleBlock(command) {
  const block = document.createElement("div");
  block.className = "run";
  block.dataset.command = command;
  const help = document.createElement("details");
  const summary = document.createElement("summary");
  help.append(summary);
  $("console").append(block);
  const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
  let helpLeft = 0;
  return {
    help({ size }) {
      helpLeft = size;
      block.prepend(help);
    },
    console({ stream, bytes }) {
      if (stream === 1 && helpLeft > 0) {
        const part = bytes.subarray(0, helpLeft);
        helpLeft -= part.length;
        const text = decoders[1].decode(part, { stream: true });
        if (!summary.textContent) summary.textContent = text;
        else help.append(text);
        bytes = bytes.subarray(part.length);
      }
      if (!bytes.length) return;
      const span = document.createElement("span");
      if (stream === 2) span.className = "stderr";
      span.textContent = decoders[stream].decode(bytes, { stream: true });
      block.append(span);
      $("console").scrollTop = $("console").scrollHeight;
    },
    progress({ done, total }) {
      $("progress").max = total;
      $("progress").value = done;
    },
  };
}

function clearRun() {
  for (const url of urls) URL.revokeObjectURL(url);
  urls = [];
  outputs = [];
  for (const id of ["console", "downloads", "status", "memory", "message", "legend"])
    $(id).textContent = "";
  $("zip").hidden = true;
  $("zip").removeAttribute("download");
  $("zip").href = "#";
  delete $("zip").dataset.ready;
}

// The choices that a run must not see change under it.
function lock(locked) {
  running = locked;
  for (const id of ["par", "files", "folder", "par-choice", "program", "run"])
    $(id).disabled = locked;
  $("form-use").disabled = locked || $("form-check").dataset.ok !== "true";
  $("cancel").hidden = !locked;
  $("progress").hidden = !locked;
  document.body.dataset.run = locked ? "running" : "done";
}

const MiB = (bytes) => `${(bytes / 1048576).toFixed(bytes < 10485760 ? 1 : 0)} MiB`;

$("run").onclick = () => {
  if (running) return;
  const started = performance.now();
  const snapshot = { par: selectedPar(), programs: programs[$("program").value] };
  lock(true);
  clearRun();
  runChosen(snapshot, started)
    .catch((error) => ($("message").textContent = `The page failed: ${error.message}`))
    .finally(() => {
      lock(false);
      $("outcome").focus();
    });
};

// Cancel ends the worker, and every call waiting on it with it.
$("cancel").onclick = () => restartWorker({ type: "cancelled" });

async function runChosen(snapshot, started) {
  const planned = await plan(snapshot.par);
  if (planned.problem) return void ($("message").textContent = planned.problem);
  outputsName = planned.par.replace(/\.[^.]*$/, "");
  const inputs = [{ name: planned.par, bytes: planned.bytes }];
  if (planned.cfg) inputs.push({ name: planned.cfg.name, blob: planned.cfg.file.file });
  let status = null;
  let info = null;
  let memory = 0;
  const files = new Map();
  for (const program of snapshot.programs) {
    const block = consoleBlock(`${program} ${planned.par}`);
    $("progress").value = 0;
    const answer = await call("run", { program, inputs, args: [planned.par] }, block);
    status = answer.status ?? null;
    memory = Math.max(memory, answer.memory ?? 0);
    if (answer.type !== "answer" || answer.unreadable || status !== 0) {
      $("message").textContent = failure(answer);
      break;
    }
    info = answer.info;
    for (const file of answer.files) files.set(file.path, file);
  }
  $("status").textContent = status === null ? "" : String(status);
  if (status !== 0) return;
  showFiles([...files.values()], info);
  const written = [...files.values()].reduce((sum, file) => sum + file.size, 0);
  $("memory").textContent = `(memory: WebAssembly ${MiB(memory)}, files written ${MiB(written)})`;
  document.body.dataset.seconds = ((performance.now() - started) / 1000).toFixed(3);
}

// What the page says of a run that did not complete; the program's own words are in the console.
function failure(answer) {
  if (answer.type === "cancelled") return "Cancelled";
  if (answer.file) return unreadable(answer.file, answer.message);
  if (answer.unreadable) return unreadable(answer.unreadable.file, answer.unreadable.message);
  if (answer.type === "error") return `The browser stopped the run: ${answer.message}`;
  return "";
}

function showFiles(files, info) {
  outputs = files;
  for (const file of files) {
    const item = document.createElement("li");
    const link = document.createElement("a");
    link.href = URL.createObjectURL(file.blob);
    urls.push(link.href);
    link.download = file.path.split("/").at(-1);
    link.textContent = file.path;
    item.append(link, ` (${file.size.toLocaleString("en")} bytes)`);
    if (/\.(cmtx|xyz)$/.test(file.path)) {
      const view = document.createElement("button");
      view.textContent = `View ${link.download}`;
      view.onclick = () => viewFile(file, info);
      item.append(view);
    }
    $("downloads").append(item);
  }
  $("zip").hidden = files.length === 0;
}

// The zip is made when asked for, in the worker, then downloaded.
$("zip").onclick = async (event) => {
  if ($("zip").dataset.ready) return;
  event.preventDefault();
  $("zip").textContent = "Packing…";
  const answer = await call("zip", { files: outputs });
  $("zip").textContent = "All files as one .zip";
  if (answer.type !== "answer") {
    $("message").textContent = `The zip could not be made: ${answer.message ?? "cancelled"}`;
    return;
  }
  $("zip").href = URL.createObjectURL(answer.blob);
  urls.push($("zip").href);
  $("zip").download = `${outputsName}.zip`;
  $("zip").dataset.ready = "true";
  $("zip").click();
};

async function viewFile(file, info) {
  $("view-note").textContent = "Reading the atoms…";
  const answer = await call("atoms", { blob: file.blob, name: file.path });
  if (answer.type !== "answer") {
    $("view-note").textContent = `The file cannot be shown: ${answer.message ?? "cancelled"}`;
    return;
  }
  const { atoms } = answer;
  // The reduced coordinates -1 ... +1 span a cube of twice the box length, which holds every box.
  const edge = 2 * info.box;
  const slab = info.option === 4 ? { axis: info.axis, min: info.min, max: info.max } : null;
  let drawn;
  try {
    drawn = showAtoms($("view"), atoms, edge, slab, file.path);
  } catch (problem) {
    $("view-note").textContent = `This browser cannot draw in 3D here (WebGL): ${problem.message}`;
    return;
  }
  $("view-note").textContent =
    `${file.path}: ${atoms.types.length.toLocaleString("en")} atoms. ${drawn}`;
  $("legend").replaceChildren(
    ...atoms.symbols.map((symbol, type) => {
      const item = document.createElement("li");
      const swatch = document.createElement("span");
      swatch.style.background = atoms.colors[type];
      item.append(swatch, `${symbol}: ${atoms.counts[type].toLocaleString("en")}`);
      return item;
    }),
  );
}

setUpForm({ $, call, choose, unreadable, programs });
