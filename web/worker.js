// The page's Web Worker: runs the programs and the form's checks in the WebAssembly module, reads
// output files for the view and packs them into a zip, so that the page never waits on them.
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

// A fresh instance of the program, whose console goes to `console`: byte by byte, standard output
// and error in the order they were written, sent on at every line end. Standard input is at its
// end, as when the console program runs with </dev/null.
async function instance(console, program = "cfg2cmtx") {
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
  const module = await createConverter({
    noInitialRun: true,
    thisProgram: program,
    sliceSize: SLICE,
    stdin: () => null,
    stdout: writer(1),
    stderr: writer(2),
    instantiateWasm(imports, receive) {
      compiled
        .then((wasm) => WebAssembly.instantiate(wasm, imports).then((made) => receive(made, wasm)))
        .catch((error) => postMessage({ error: String(error) }));
      return {};
    },
  });
  module.flushConsole = flush;
  return module;
}

// A fresh instance with the given files placed, whose standard output is gathered as text into
// `printed.text`: the form's calls, which show the program's messages.
async function quietInstance(inputs) {
  const printed = { text: "" };
  const module = await instance((stream, bytes) => {
    if (stream === 1) printed.text += new TextDecoder().decode(bytes);
  });
  place(module, inputs);
  return { module, printed };
}

const messageOf = (error) => String(error && error.message ? error.message : error);

// The slices of a file read whole, in one request to the browser (faster than several at once);
// none for a file above READ_AHEAD, or one that cannot be read now: the run's reads then ask for
// each slice themselves, and meet any error there, as the program's reads.
async function readAhead(blob) {
  if (blob.size > READ_AHEAD) return [];
  const bytes = new Uint8Array(await blob.arrayBuffer().catch(() => new ArrayBuffer(0)));
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
  slices.forEach((read, i) => (FS.lookupPath(`${INPUT}/${i}`).node.slices = read));
  FS.chdir(WORK);
  for (const input of inputs) {
    const path = input.name.startsWith("/") ? input.name : `${WORK}/${input.name}`;
    FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
    if (input.blob) FS.symlink(`${INPUT}/${mounted.indexOf(input)}`, input.name);
    else FS.writeFile(input.name, input.bytes);
  }
}

// Every regular file under the working folder but the inputs: what the run wrote.
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
        const blob = new Blob(module.fileParts(node));
        files.push({ path: path.slice(WORK.length + 1), blob, size: blob.size });
      }
    }
  };
  walk(WORK);
  return files;
}

const tasks = {
  // One program on the parameter file: the console as it comes, then the exit status and, after
  // a completed run, the files it wrote.
  async run({ program, inputs, args }) {
    const [module, slices] = await Promise.all([
      instance((stream, bytes) => postMessage({ type: "console", stream, bytes }), program),
      Promise.all(inputs.filter((input) => input.blob).map((input) => readAhead(input.blob))),
    ]);
    place(module, inputs, slices);
    postMessage({
      type: "help",
      size: module.ccall("help_size", "number", ["number"], [program === "cfg2xyz"]),
    });
    let status;
    try {
      status = module.callMain(args);
    } catch (error) {
      module.flushConsole();
      return { status: null, error: messageOf(error) };
    }
    module.flushConsole();
    // A run that stops offers nothing, not even the files of earlier configurations.
    const files = status === 0 ? written(module, inputs) : [];
    const at = module._last_run() / 8;
    const [box, option, axis, min, max] = module.HEAPF64.slice(at, at + 5);
    // The WebAssembly memory never shrinks: its size is the most the run used.
    return { status, files, info: { box, option, axis, min, max }, memory: module.HEAP8.length };
  },

  // The header of a configuration file, read twice: the first read learns the type count.
  async header({ inputs }) {
    const { module, printed } = await quietInstance(inputs);
    const read = (types) =>
      JSON.parse(
        module.ccall("read_header", "string", ["string", "number"], [inputs[0].name, types]),
      );
    let header = read(-1);
    if (header.kind !== 0) {
      printed.text = "";
      header = read(header.types);
    }
    return { header, messages: printed.text };
  },

  // What a run would say about a parameter file before it converts, and whether it would stop.
  async check({ inputs }) {
    const { module, printed } = await quietInstance(inputs);
    const ok = module.ccall("check_parameters", "number", ["string"], [inputs[0].name]) === 1;
    return { ok, messages: printed.text.replace(/SimpleCfg destructor\n$/, "") };
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
  () => postMessage({ ready: true }),
  (error) => postMessage({ ready: false, error: String(error) }),
);

onmessage = async ({ data }) => {
  try {
    const { transfer = [], ...answer } = await tasks[data.type](data);
    postMessage({ id: data.id, ...answer }, transfer);
  } catch (error) {
    postMessage({ id: data.id, error: messageOf(error) });
  }
};
