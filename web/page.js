// The page: the chosen files, the run of the programs in the Web Worker, the console, the
// downloads, the parameter file form and the view.
import { setUpForm } from "./form.js";
import { showAtoms } from "./view.js";

const $ = (id) => document.getElementById(id);
const chosen = { par: null, files: [], at: 0 }; // files: { file, path } with the folder part

// --- the worker ---------------------------------------------------------------------------------
let worker;
let ready;
const waiting = new Map();
let onConsole = () => {};
let onHelp = () => {};
function startWorker() {
  const source = new Blob([$("worker-source").textContent], { type: "text/javascript" });
  worker = new Worker(URL.createObjectURL(source));
  ready = new Promise((resolve) => {
    worker.onmessage = ({ data }) => {
      if (data.type === "console") onConsole(data.stream, data.bytes);
      else if (data.type === "help") onHelp(data.size);
      else if ("ready" in data) resolve(data);
      else {
        waiting.get(data.id)?.(data);
        waiting.delete(data.id);
      }
    };
  });
  // A worker that dies (out of memory, say) answers nothing more: every call waiting on it ends
  // with the error, and a new worker takes its place.
  worker.onerror = (event) => {
    event.preventDefault();
    for (const answer of waiting.values()) answer({ error: event.message || "the worker stopped" });
    waiting.clear();
    worker.terminate();
    startWorker();
  };
}
let calls = 0;
async function call(type, payload) {
  await ready;
  return new Promise((resolve) => {
    const id = ++calls;
    waiting.set(id, resolve);
    worker.postMessage({ type, id, ...payload });
  });
}
startWorker();
ready.then(({ ready: ok, error }) => {
  $("loading").textContent = ok ? "" : `The programs cannot run in this browser: ${error}`;
  $("run").disabled = !ok;
  document.body.dataset.readyMs = performance.now().toFixed(0);
  document.body.dataset.ready = ok;
});

// --- the chosen files ---------------------------------------------------------------------------
const isPar = (name) => name.toLowerCase().endsWith(".par");
function choose({ par, files }) {
  if (par) chosen.par = par;
  if (files) chosen.files = files;
  if (!chosen.par) chosen.par = chosen.files.find((f) => isPar(f.path))?.file ?? null;
  chosen.at = performance.now();
  const names = chosen.files.map((f) => f.path).filter((p) => !isPar(p));
  $("chosen").textContent = chosen.par
    ? `Parameter file: ${chosen.par.name}; other files: ${names.length ? names.join(", ") : "none"}`
    : "Choose the parameter file.";
  $("message").textContent = "";
}
const listed = (input) =>
  [...input.files].map((file) => ({ file, path: file.webkitRelativePath || file.name }));
$("par").onchange = () => choose({ par: $("par").files[0] });
$("files").onchange = () => choose({ files: listed($("files")) });
$("folder").onchange = () => choose({ files: listed($("folder")) });

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
  section.classList.add("dragging");
};
section.ondragleave = () => section.classList.remove("dragging");
section.ondrop = async (event) => {
  event.preventDefault();
  section.classList.remove("dragging");
  const dropped = [...event.dataTransfer.items]
    .map((item) => item.webkitGetAsEntry())
    .filter(Boolean);
  const files = (await Promise.all(dropped.map((entry) => entries(entry)))).flat();
  const pars = files.filter((f) => isPar(f.path));
  choose({ par: pars.length === 1 ? pars[0].file : null, files });
};

// The configuration file's name: the parameter file's first word, after a UTF-8 byte-order mark,
// up to a NUL byte, as the program reads it. None for UTF-16, which the program refuses itself.
function namedFile(bytes) {
  if ((bytes[0] === 0xff && bytes[1] === 0xfe) || (bytes[0] === 0xfe && bytes[1] === 0xff))
    return null;
  let at = bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf ? 3 : 0;
  const blank = (b) => b === 32 || (b >= 9 && b <= 13);
  while (at < bytes.length && blank(bytes[at])) at++;
  let end = at;
  while (end < bytes.length && !blank(bytes[end]) && bytes[end] !== 0) end++;
  return end > at ? new TextDecoder().decode(bytes.subarray(at, end)) : null;
}

// The chosen file for a name: the one whose path ends in the name's, folder part included, or
// else the one of the same file name.
function fileFor(name) {
  const wanted = name.split("/").filter((part) => part && part !== "." && part !== "..");
  const tail = (path, n) => path.split("/").slice(-n).join("/");
  return (
    chosen.files.find((f) => tail(f.path, wanted.length) === wanted.join("/")) ??
    chosen.files.find((f) => tail(f.path, 1) === wanted.at(-1))
  )?.file;
}

// --- the run ------------------------------------------------------------------------------------
const programs = { cmtx: ["cfg2cmtx"], xyz: ["cfg2xyz"], both: ["cfg2cmtx", "cfg2xyz"] };
let outputs = [];
let urls = [];

// One program's part of the console: the help text folded into its first line, then the rest
// as printed, standard error marked. The text is exactly the bytes, decoded as UTF-8.
function consoleBlock(command) {
  const block = document.createElement("div");
  block.className = "run";
  block.dataset.command = command;
  const help = document.createElement("details");
  const summary = document.createElement("summary");
  help.append(summary);
  block.append(help);
  $("console").append(block);
  const decoders = { 1: new TextDecoder(), 2: new TextDecoder() };
  let helpLeft = 0;
  return {
    help(size) {
      helpLeft = size;
    },
    write(stream, bytes) {
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

const MiB = (bytes) => `${(bytes / 1048576).toFixed(bytes < 10485760 ? 1 : 0)} MiB`;

// The body's data-run is "running", then "done" when the run has ended in any way.
async function run() {
  document.body.dataset.run = "running";
  try {
    await runChosen();
  } finally {
    document.body.dataset.run = "done";
    $("run").disabled = false;
  }
}

async function runChosen() {
  clearRun();
  if (!chosen.par) {
    $("message").textContent = "Choose the parameter file first.";
    return;
  }
  const parBytes = new Uint8Array(await chosen.par.arrayBuffer());
  const inputs = [{ name: chosen.par.name, bytes: parBytes }];
  const cfgName = namedFile(parBytes);
  if (cfgName) {
    const file = fileFor(cfgName);
    if (!file) {
      $("message").textContent =
        `The parameter file names the configuration file “${cfgName}”, which is not among the ` +
        "chosen files: choose it too, or the folder that holds it.";
      return;
    }
    if (file.size === 0) $("message").textContent = `“${cfgName}” is empty.`;
    inputs.push({ name: cfgName, blob: file });
  }
  $("run").disabled = true;
  let status = null;
  let info = null;
  let memory = 0;
  const files = new Map();
  for (const program of programs[$("program").value]) {
    const block = consoleBlock(`${program} ${chosen.par.name}`);
    onConsole = block.write;
    onHelp = block.help;
    const answer = await call("run", { program, inputs, args: [chosen.par.name] });
    if (answer.error) {
      $("message").textContent = `The browser stopped the run: ${answer.error}`;
      status = "stopped";
      break;
    }
    status = answer.status;
    memory = Math.max(memory, answer.memory);
    if (status !== 0) break;
    info = answer.info;
    for (const file of answer.files) files.set(file.path, file);
  }
  $("status").textContent = String(status);
  if (status === 0) showFiles([...files.values()], info);
  const written = [...files.values()].reduce((sum, file) => sum + file.size, 0);
  $("memory").textContent = `(memory: WebAssembly ${MiB(memory)}, files written ${MiB(written)})`;
  document.body.dataset.seconds = ((performance.now() - chosen.at) / 1000).toFixed(3);
}
$("run").onclick = run;

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
      view.textContent = "View";
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
  const { blob, error } = await call("zip", { files: outputs });
  $("zip").textContent = "All files as one .zip";
  if (error) return void ($("message").textContent = `The zip could not be made: ${error}`);
  $("zip").href = URL.createObjectURL(blob);
  urls.push($("zip").href);
  $("zip").download = `${chosen.par.name.replace(/\.[^.]*$/, "")}.zip`;
  $("zip").dataset.ready = "true";
  $("zip").click();
};

async function viewFile(file, info) {
  $("view-note").textContent = "Reading the atoms…";
  const { atoms, error } = await call("atoms", { blob: file.blob, name: file.path });
  if (error) return void ($("view-note").textContent = `The file cannot be shown: ${error}`);
  // The reduced coordinates -1 ... +1 span a cube of twice the box length, which holds every box.
  const edge = 2 * info.box;
  const slab = info.option === 4 ? { axis: info.axis, min: info.min, max: info.max } : null;
  let drawn;
  try {
    drawn = showAtoms($("view"), atoms, edge, slab);
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

setUpForm({ $, call, choose });
