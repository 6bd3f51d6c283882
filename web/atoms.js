// Reads the atoms of an output file for the view: the .cmtx lines "S S x y z " after MOLE and
// ATOM, or the .xyz lines "S x y z" after the count and the cell line. Bytes are scanned in
// place: a file of ten million atoms is no string to split.
export function parseAtoms(bytes, name) {
  const xyz = name.endsWith(".xyz");
  const symbols = [];
  const index = new Map();
  let lines = 0;
  for (let i = bytes.indexOf(10); i >= 0; i = bytes.indexOf(10, i + 1)) lines++;
  const positions = new Float32Array(3 * lines);
  const types = new Uint16Array(lines);
  let at = 0;
  let atoms = 0;
  // The next word, from `at` to the next blank or line end.
  const word = () => {
    while (bytes[at] === 32) at++;
    const start = at;
    while (at < bytes.length && bytes[at] !== 32 && bytes[at] !== 10) at++;
    return bytes.subarray(start, at);
  };
  const decoder = new TextDecoder();
  const text = (b) => decoder.decode(b);
  // The writers' numbers are plain decimals; anything else (nan, inf) goes through Number.
  const number = (b) => {
    let value = 0;
    let scale = 0;
    for (let i = b[0] === 45 ? 1 : 0; i < b.length; i++) {
      const c = b[i];
      if (c === 46 && scale === 0) scale = 1;
      else if (c >= 48 && c <= 57) {
        value = value * 10 + (c - 48);
        scale *= 10;
      } else return Number(text(b));
    }
    value /= scale || 1;
    return b[0] === 45 ? -value : value;
  };
  for (let line = 0; at < bytes.length; line++) {
    if (line >= 2) {
      const symbol = text(word());
      if (!xyz) word();
      if (!index.has(symbol)) index.set(symbol, symbols.push(symbol) - 1);
      types[atoms] = index.get(symbol);
      for (let axis = 0; axis < 3; axis++) positions[3 * atoms + axis] = number(word());
      atoms++;
    }
    const end = bytes.indexOf(10, at);
    at = end < 0 ? bytes.length : end + 1;
  }
  return { symbols, types: types.subarray(0, atoms), positions: positions.subarray(0, 3 * atoms) };
}
