// The worker mounts the chosen files without copying them.
Module["WORKERFS"] = WORKERFS;

// Inputs are read from the browser's file in large pieces, kept for the reads that follow: each
// read of a piece of a chosen file is a request to the browser, which costs more than its bytes.
WORKERFS.stream_ops.read = function (stream, buffer, offset, length, position) {
  var node = stream.node;
  if (position >= node.size) return 0;
  var piece = node.piece;
  if (!piece || position < piece.start || position >= piece.start + piece.bytes.length) {
    var start = position - (position % 16777216);
    var blob = node.contents.slice(start, start + 16777216);
    piece = { start: start, bytes: new Uint8Array(WORKERFS.reader.readAsArrayBuffer(blob)) };
    node.piece = piece;
  }
  var from = position - piece.start;
  var count = Math.min(length, piece.bytes.length - from);
  buffer.set(piece.bytes.subarray(from, from + count), offset);
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
        // Pieces double from 4 KiB to 4 MiB: small files stay small, large ones need few pieces.
        last = new Uint8Array(Math.min(Math.max(left, last ? 2 * last.length : 4096), 4194304));
        node.pieces.push(last);
        node.filled = 0;
      }
      var count = Math.min(left, last.length - node.filled);
      last.set(buffer.subarray(offset, offset + count), node.filled);
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
