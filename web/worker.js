// The page's Web Worker: runs the programs and asks them what the page needs to know before a run
// (what a parameter file names, a header, whether a run would stop), reads output files for the
// view and packs them into a zip, so that the page never waits on them. Every message it sends
// carries a type and the id of the call it belongs to: "ready" (id 0), and per call "console",
// "help" and "progress" while it works, then "answer" or "error".
import { Zip, ZipDeflate } from "fflate";
import { parseAtoms } from "./atoms.js";

const WORK = "/work";
const INPUT = "/input";
// Chosen files are read in slices of this size (module_post.js serves the reads from them). A run
// reads its configuration file ahead, whole, while the module is being made, up to READ_AHEAD:
// larger ones are read slice by slice as the run needs them.
const SLICE = 8 << 20;
const READ_AHEAD = 512 << 20;

// The WebAssembly, compiled once; every call gets a fresh instance of it. WASM_BASE64 is put
// before this script by the build, with createConverter, the module's factory.
/* global WASM_BASE64, createConverter */
const compiled = WebAssembly.compile(Uint8Array.from(atob(WASM_BASE64), (c) => c.charCodeAt(0)));

const messageOf = (error) => String(error && error.message ? error.message : error);

// A file the browser cannot read any more: the page says so in plain words.
class Unreadable extends Error {
  constructor(name, error) {
    super(messageOf(error));
    this.file = name;
  }
}

// A fresh instance of the program. Its console goes to `console`, byte by byte, standard output
// and error in the order they were written, sent on at every line end; without one it is
// dropped. Standard input is at its end, as when the console program runs with </dev/null.
async function instance({ program = "cfg2cmtx", console = () => {} } = {}) {
  let pending = [];
  let stream = 1;
  const flush = () => {
    if (pending.length) console(stream, new Uint8Array(pending));
    pending = [];
  };
  const writer = (to) => (byte) => {
    if (to !== stream) flush();
    stream = to;
    pending.push(byte);
    if (byte === 10) flush();
  };
  let failed;
  const failure = new Promise((_, reject) => (failed = reject));
  const made = createConverter({
    noInitialRun: true,
    thisProgram: program,
    sliceSize: SLICE,
    stdin: () => null,
    stdout: writer(1),
    stderr: writer(2),
    instantiateWasm(imports, receive) {
      compiled
        .then((wasm) => WebAssembly.instantiate(wasm, imports).then((done) => receive(done, wasm)))
        .catch(failed);
      return {};
    },
  });
  const module = await Promise.race([made, failure]);
  module.flushConsole = flush;
  return module;
}

// What an export of the module answers: a JSON object.
const ask = (module, name, types, args) => JSON.parse(module.ccall(name, "string", types, args));

// Throws Unreadable when the browser cannot read the chosen file (deleted or moved since).
async function probe({ name, blob }) {
  try {
    await blob.slice(0, 1).arrayBuffer();
  } catch (error) {
    throw new Unreadable(name, error);
  }
}

// The slices of a file read whole, in one request to the browser (faster than several at once);
// none for a file above READ_AHEAD, which the run's reads then ask for slice by slice.
async function readAhead(input) {
  if (input.blob.size > READ_AHEAD) return probe(input).then(() => []);
  const bytes = new Uint8Array(
    await input.blob.arrayBuffer().catch((error) => {
      throw new Unreadable(input.name, error);
    }),
  );
  const slices = [];
  for (let at = 0; at < bytes.length; at += SLICE) slices.push(bytes.subarray(at, at + SLICE));
  return slices;
}

// Places the files a call needs: the parameter file written into the working folder, the
// configuration file mounted without a copy and linked at the name the parameter file gives it.
// `slices` holds what was read ahead of the mounted files, in their order.
function place(module, inputs, slices = []) {
  const { FS } = module;
  FS.mkdir(WORK);
  FS.mkdir(INPUT);
  const mounted = inputs.filter((input) => input.blob);
  const blobs = mounted.map((input, i) => ({ name: String(i), data: input.blob }));
  FS.mount(module.WORKERFS, { blobs }, INPUT);
  mounted.forEach((input, i) => {
    const { node } = FS.lookupPath(`${INPUT}/${i}`);
    node.slices = slices[i];
    node.shownName = input.name;
  });
  FS.chdir(WORK);
  for (const input of inputs) {
    const path = input.name.startsWith("/") ? input.name : `${WORK}/${input.name}`;
    FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
    if (input.blob) FS.symlink(`${INPUT}/${mounted.indexOf(input)}`, input.name);
    else FS.writeFile(input.name, input.bytes);
  }
}

// A fresh instance with the files placed, for what the page asks before a run; the mounted files
// are read as the program needs them.
async function placed(inputs) {
  await Promise.all(inputs.filter((input) => input.blob).map(probe));
  const module = await instance();
  place(module, inputs);
  return module;
}

// Every regular file under the working folder but the inputs: what the run wrote. A file without
// an extension (index) is offered as bytes, which browsers save under its own name.
function written(module, inputs) {
  const { FS } = module;
  const names = new Set(inputs.map((input) => FS.lookupPath(input.name, { follow: false }).path));
  const files = [];
  const walk = (folder) => {
    for (const name of FS.readdir(folder).sort()) {
      const path = `${folder}/${name}`;
      const node =
        name === "." || name === ".." ? null : FS.lookupPath(path, { follow: false }).node;
      if (node && FS.isDir(node.mode)) walk(path);
      else if (node && FS.isFile(node.mode) && !names.has(path)) {
        const type = name.includes(".") ? "" : "application/octet-stream";
        const blob = new Blob(module.fileParts(node), { type });
        files.push({ path: path.slice(WORK.length + 1), blob, size: blob.size });
      }
    }
  };
  walk(WORK);
  return files;
}

// Reports how far the run has read its configuration file, in steps of a two-hundredth, at most
// one each quarter of a second, and the last. The page redraws its bar for each report, and the
// run pays for that: a report on every step made a 1,000,000-atom .xyz run 3 % slower
// (bench/web/progress.sh).
function progressOf(module, id) {
  let shown = -1;
  let sentAt = -Infinity;
  module.onRead = (node, done) => {
    const step = Math.floor((200 * done) / node.size);
    if (!node.shownName || step === shown) return;
    shown = step;
    const now = performance.now();
    if (step < 200 && now - sentAt < 250) return;
    sentAt = now;
    postMessage({ type: "progress", id, done, total: node.size });
  };
}

const tasks = {
  // One program on the parameter file: the console as it comes, then the exit status and, after
  // a completed run, the files it wrote. A file that the browser could not read is named.
  async run({ id, program, inputs, args }) {
    const console = (stream, bytes) => postMessage({ type: "console", id, stream, bytes });
    const [module, slices] = await Promise.all([
      instance({ program, console }),
      Promise.all(inputs.filter((input) => input.blob).map(readAhead)),
    ]);
    place(module, inputs, slices);
    const xyz = program === "cfg2xyz" ? 1 : 0;
    postMessage({ type: "help", id, ...ask(module, "help_size", ["number"], [xyz]) });
    progressOf(module, id);
    let status;
    try {
      status = module.callMain(args);
    } finally {
      module.flushConsole();
    }
    // The WebAssembly memory never shrinks: its size is the most the run used.
    const memory = module.HEAP8.length;
    const failure = module.readFailure;
    if (failure) {
      const file = failure.node.shownName;
      return { status, files: [], memory, unreadable: { file, message: messageOf(failure.error) } };
    }
    // A run that stops offers nothing, not even the files of earlier configurations.
    const files = status === 0 ? written(module, inputs) : [];
    return { status, files, memory, info: ask(module, "last_run", [], []) };
  },

  // The configuration file that the parameter file names, as the program reads it.
  async named({ inputs }) {
    return ask(await placed(inputs), "named_file", ["string"], [inputs[0].name]);
  },

  // The header of a configuration file, as a run reads it.
  async header({ inputs }) {
    return ask(await placed(inputs), "read_header", ["string"], [inputs[0].name]);
  },

  // Whether a run of each program would stop before its first file, and with what messages.
  async check({ inputs, programs }) {
    const module = await placed(inputs);
    const verdicts = programs.map((program) => ({
      program,
      ...ask(module, "check_run", ["string", "number"], [inputs[0].name, program === "cfg2xyz"]),
    }));
    return { verdicts };
  },

  // The chosen atoms of an output file, for the view.
  async atoms({ blob, name }) {
    const atoms = parseAtoms(new Uint8Array(await blob.arrayBuffer()), name);
    return { atoms, transfer: [atoms.positions.buffer, atoms.types.buffer] }; // moved, not copied
  },

  // All files in one zip, deflated fast: text compresses well even at the lowest level.
  async zip({ files }) {
    const parts = [];
    await new Promise((resolve, reject) => {
      const zip = new Zip((error, chunk, final) => {
        if (error) reject(error);
        parts.push(chunk);
        if (final) resolve();
      });
      (async () => {
        for (const file of files) {
          const entry = new ZipDeflate(file.path, { level: 1 });
          zip.add(entry);
          const reader = file.blob.stream().getReader();
          for (;;) {
            const { done, value } = await reader.read();
            entry.push(done ? new Uint8Array() : value, done);
            if (done) break;
          }
        }
        zip.end();
      })().catch(reject);
    });
    return { blob: new Blob(parts, { type: "application/zip" }) };
  },
};

compiled.then(
  () => postMessage({ type: "ready", id: 0, ok: true }),
  (error) => postMessage({ type: "ready", id: 0, ok: false, error: messageOf(error) }),
);

onmessage = async ({ data }) => {
  const { id } = data;
  try {
    const { transfer = [], ...answer } = await tasks[data.type](data);
    postMessage({ type: "answer", id, ...answer }, transfer);
  } catch (error) {
    const unreadable = error instanceof Unreadable ? { file: error.file } : {};
    postMessage({ type: "error", id, message: messageOf(error), ...unreadable });
  }
};
