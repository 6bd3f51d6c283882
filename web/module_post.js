// The worker mounts the chosen files without copying them.
Module["WORKERFS"] = WORKERFS;

// The file system hands over the module's memory as signed bytes (HEAP8). A copy between typed
// arrays of different kinds goes byte by byte, a hundred times slower than one between arrays of
// the same kind: the same memory seen as unsigned bytes copies at full speed.
function bytesOf(buffer, offset, length) {
  return new Uint8Array(buffer.buffer, buffer.byteOffset + offset, length);
}

// A chosen file is served from slices of Module.sliceSize bytes, node.slices: those the worker
// read ahead, and any other read when first needed, from the browser in one request. A slice that
// the reads have passed is let go, and its memory takes the bytes of the files written: memory the
// process has touched costs far less than new memory, whose every page the system must first hand
// over, and the programs read a configuration file from start to end. A read that goes back reads
// its slice again.
var sliceSize = Module["sliceSize"];
var spares = [];
var spareBytes = 0;
function letGo(node, index) {
  var slice = node.slices[index];
  node.slices[index] = undefined;
  // Up to 256 MiB: a file read slice by slice would otherwise stay whole in memory when the
  // outputs are small (a slab).
  if (slice && spareBytes + slice.length <= 268435456) {
    spares.push(slice);
    spareBytes += slice.length;
  }
}
// A slice that the browser cannot read (the file was deleted or moved since it was chosen) is
// what a disk error is to the program, EIO (29 in Emscripten's numbering): its read fails and it
// says so in its own words. Module.readFailure keeps what the browser said, for the page.
function readSlice(node, index) {
  var blob = node.contents.slice(index * sliceSize, (index + 1) * sliceSize);
  try {
    return new Uint8Array(WORKERFS.reader.readAsArrayBuffer(blob));
  } catch (error) {
    Module["readFailure"] = Module["readFailure"] || { node: node, error: error };
    throw new FS.ErrnoError(29);
  }
}
WORKERFS.stream_ops.read = function (stream, buffer, offset, length, position) {
  var node = stream.node;
  if (position >= node.size) return 0;
  var index = Math.floor(position / sliceSize);
  node.slices = node.slices || [];
  var slice = node.slices[index];
  if (!slice) slice = node.slices[index] = readSlice(node, index);
  if (node.passed === undefined || index < node.passed) node.passed = index;
  for (; node.passed < index; node.passed++) letGo(node, node.passed);
  var from = position - index * sliceSize;
  var count = Math.min(length, slice.length - from);
  bytesOf(buffer, offset, count).set(slice.subarray(from, from + count));
  if (Module["onRead"]) Module["onRead"](node, position + count);
  return count;
};

// Files that the programs write are kept as pieces, appended to as they are written: a file is
// never copied as it grows, and holds little room beyond its bytes. Any other use of a file joins
// its pieces first. Module.fileParts gives the bytes of a file, for the page's downloads.
var memfs = {
  write: MEMFS.stream_ops.write,
  read: MEMFS.stream_ops.read,
  mmap: MEMFS.stream_ops.mmap,
  allocate: MEMFS.stream_ops.allocate,
  resize: MEMFS.resizeFileStorage,
};
function parts(node) {
  if (!node.pieces)
    return [node.contents ? node.contents.subarray(0, node.usedBytes) : new Uint8Array()];
  var last = node.pieces.length - 1;
  return node.pieces.map(function (piece, i) {
    return i < last ? piece : piece.subarray(0, node.filled);
  });
}
function joined(node) {
  if (!node.pieces) return;
  var contents = new Uint8Array(node.usedBytes);
  var at = 0;
  parts(node).forEach(function (part) {
    contents.set(part, at);
    at += part.length;
  });
  node.contents = contents;
  node.pieces = null;
}
var ops = {
  write: function (stream, buffer, offset, length, position, canOwn) {
    var node = stream.node;
    if (!length) return 0;
    if (canOwn || position !== node.usedBytes || (node.usedBytes && !node.pieces)) {
      joined(node);
      return memfs.write.apply(this, arguments);
    }
    node.pieces = node.pieces || [];
    node.contents = null;
    node.timestamp = Date.now();
    for (var left = length; left > 0;) {
      var last = node.pieces[node.pieces.length - 1];
      if (!last || node.filled === last.length) {
        // Pieces double from 4 KiB to 4 MiB: small files stay small, large ones need few pieces,
        // and take the input's slices that the reads have passed.
        var size = Math.min(Math.max(left, last ? 2 * last.length : 4096), 4194304);
        if (size === 4194304 && spares.length) {
          last = spares.pop();
          spareBytes -= last.length;
        } else {
          last = new Uint8Array(size);
        }
        node.pieces.push(last);
        node.filled = 0;
      }
      var count = Math.min(left, last.length - node.filled);
      last.set(bytesOf(buffer, offset, count), node.filled);
      node.filled += count;
      offset += count;
      left -= count;
    }
    node.usedBytes += length;
    return length;
  },
  read: function (stream) {
    joined(stream.node);
    return memfs.read.apply(this, arguments);
  },
  mmap: function (stream) {
    joined(stream.node);
    return memfs.mmap.apply(this, arguments);
  },
  allocate: function (stream) {
    joined(stream.node);
    return memfs.allocate.apply(this, arguments);
  },
};
Object.assign(MEMFS.stream_ops, ops);
if (MEMFS.ops_table) Object.assign(MEMFS.ops_table.file.stream, ops);
MEMFS.resizeFileStorage = function (node, size) {
  if (size === 0) node.pieces = null;
  joined(node);
  memfs.resize(node, size);
};
Module["fileParts"] = parts;
