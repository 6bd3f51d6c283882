// The view: the chosen atoms in their periodic box, one colour per type, the slab's two planes,
// rotated and zoomed with the mouse. Up to SPHERES atoms are drawn as shaded spheres, more as
// round points, which a browser draws fluidly by the million.
import {
  AmbientLight,
  BoxGeometry,
  CanvasTexture,
  Color,
  DirectionalLight,
  DoubleSide,
  EdgesGeometry,
  Group,
  BufferAttribute,
  BufferGeometry,
  IcosahedronGeometry,
  InstancedMesh,
  LineBasicMaterial,
  LineSegments,
  Matrix4,
  Mesh,
  MeshBasicMaterial,
  MeshLambertMaterial,
  PerspectiveCamera,
  PlaneGeometry,
  Points,
  PointsMaterial,
  Scene,
  WebGLRenderer,
} from "three";
import { OrbitControls } from "three/examples/jsm/controls/OrbitControls.js";

const SPHERES = 100000;
const PALETTE = [
  "#1f77b4",
  "#d62728",
  "#2ca02c",
  "#ff7f0e",
  "#9467bd",
  "#8c564b",
  "#e377c2",
  "#7f7f7f",
  "#bcbd22",
  "#17becf",
];

// Made once, with the first file shown: each file then replaces the one group of what it draws.
let view = null;

function makeView(container) {
  const renderer = new WebGLRenderer({ antialias: true, preserveDrawingBuffer: true }); // may throw
  renderer.setPixelRatio(window.devicePixelRatio);
  renderer.domElement.setAttribute("role", "img");
  container.append(renderer.domElement);
  const scene = new Scene();
  scene.background = new Color("#fff");
  scene.add(new AmbientLight("#fff", 1.2));
  const camera = new PerspectiveCamera(40, 1, 0.01, 100);
  camera.add(new DirectionalLight("#fff", 2));
  scene.add(camera);
  const controls = new OrbitControls(camera, renderer.domElement);
  const made = { renderer, scene, camera, controls, group: null, edge: 1 };
  made.render = () => renderer.render(scene, camera);
  controls.addEventListener("change", made.render);
  new ResizeObserver(() => fit(made, container)).observe(container);
  return made;
}

// The whole box in sight, however narrow the view: the camera stands back far enough for the
// box's enclosing sphere to fit the narrower of the two angles of view.
function fit(made, container) {
  const { renderer, camera, controls, edge } = made;
  const width = Math.max(container.clientWidth, 1);
  const height = Math.max(container.clientHeight, 1);
  renderer.setSize(width, height);
  camera.aspect = width / height;
  const vertical = (camera.fov * Math.PI) / 180;
  const horizontal = 2 * Math.atan(Math.tan(vertical / 2) * camera.aspect);
  const distance =
    ((edge * Math.sqrt(3)) / 2 / Math.sin(Math.min(vertical, horizontal) / 2)) * 1.05;
  const centre = edge / 2;
  controls.target.set(centre, centre, centre);
  const direction = camera.position.clone().sub(controls.target);
  if (direction.lengthSq() === 0 || !made.placed) direction.set(2.1, 1.5, 2.6);
  camera.position.copy(controls.target).add(direction.setLength(distance));
  camera.near = edge / 100;
  camera.far = edge * 20;
  camera.updateProjectionMatrix();
  controls.update();
  made.render();
}

// What a group holds is given back to the graphics card: geometries, materials, textures.
function dispose(group) {
  group?.traverse((object) => {
    object.geometry?.dispose();
    object.material?.map?.dispose();
    object.material?.dispose();
  });
}

// A white disc, the shape of every point.
function disc() {
  const canvas = document.createElement("canvas");
  canvas.width = canvas.height = 64;
  const context = canvas.getContext("2d");
  const gradient = context.createRadialGradient(24, 24, 4, 32, 32, 31);
  gradient.addColorStop(0, "#fff");
  gradient.addColorStop(1, "#888");
  context.fillStyle = gradient;
  context.arc(32, 32, 31, 0, 2 * Math.PI);
  context.fill();
  return new CanvasTexture(canvas);
}

function atomsObject(atoms, radius) {
  const count = atoms.types.length;
  const colors = atoms.symbols.map((_, type) => new Color(PALETTE[type % PALETTE.length]));
  if (count > SPHERES) {
    const geometry = new BufferGeometry();
    geometry.setAttribute("position", new BufferAttribute(atoms.positions, 3));
    const rgb = new Float32Array(3 * count);
    for (let i = 0; i < count; i++) colors[atoms.types[i]].toArray(rgb, 3 * i);
    geometry.setAttribute("color", new BufferAttribute(rgb, 3));
    const material = new PointsMaterial({
      size: 2 * radius,
      vertexColors: true,
      map: disc(),
      alphaTest: 0.5,
    });
    return new Points(geometry, material);
  }
  const mesh = new InstancedMesh(
    new IcosahedronGeometry(radius, count > 10000 ? 1 : 3),
    new MeshLambertMaterial(),
    count,
  );
  const place = new Matrix4();
  for (let i = 0; i < count; i++) {
    const p = atoms.positions;
    mesh.setMatrixAt(i, place.makeTranslation(p[3 * i], p[3 * i + 1], p[3 * i + 2]));
    mesh.setColorAt(i, colors[atoms.types[i]]);
  }
  return mesh;
}

// Shows the atoms in the container; returns what the page says about the drawing.
export function showAtoms(container, atoms, edge, slab, name) {
  view ??= makeView(container);
  const count = atoms.types.length;
  atoms.colors = atoms.symbols.map((_, type) => PALETTE[type % PALETTE.length]);
  atoms.counts = atoms.symbols.map(() => 0);
  for (let i = 0; i < count; i++) atoms.counts[atoms.types[i]]++;
  const group = new Group();
  // Atoms nearly touch at this radius when they fill the box evenly; a few atoms stay small.
  const radius = Math.min((0.3 * edge) / Math.cbrt(Math.max(count, 1)), 0.04 * edge);
  const object = atomsObject(atoms, radius);
  object.frustumCulled = false; // a coordinate that is not a number would hide every atom
  group.add(object, boxEdges(edge), ...(slab ? slabPlanes(edge, slab) : []));
  dispose(view.group);
  if (view.group) view.scene.remove(view.group);
  view.scene.add(group);
  view.group = group;
  view.edge = edge;
  fit(view, container);
  view.placed = true;
  view.renderer.domElement.setAttribute(
    "aria-label",
    `${name}: ${count.toLocaleString("en")} atoms of ${atoms.symbols.length} types ` +
      `(${atoms.symbols.join(", ")}) in a box of edge ${edge}` +
      (slab ? `, with the slab's planes at ${slab.min} and ${slab.max} on axis ${slab.axis}` : ""),
  );
  return count > SPHERES
    ? `More than ${SPHERES.toLocaleString("en")} atoms: drawn as points, a lighter style.`
    : "";
}

function boxEdges(edge) {
  const box = new LineSegments(
    new EdgesGeometry(new BoxGeometry(edge, edge, edge)),
    new LineBasicMaterial({ color: "#444" }),
  );
  box.position.set(edge / 2, edge / 2, edge / 2);
  return box;
}

// The slab's limits are reduced coordinates: the plane of r lies at (r + 1) * edge / 2.
function slabPlanes(edge, slab) {
  return [slab.min, slab.max].map((limit) => {
    const material = new MeshBasicMaterial({
      color: "#e8a33d",
      transparent: true,
      opacity: 0.25,
      side: DoubleSide,
      depthWrite: false,
    });
    const plane = new Mesh(new PlaneGeometry(edge, edge), material);
    plane.position.set(edge / 2, edge / 2, edge / 2);
    if (slab.axis === 0) plane.rotation.y = Math.PI / 2;
    if (slab.axis === 1) plane.rotation.x = Math.PI / 2;
    plane.position.setComponent(slab.axis, ((limit + 1) * edge) / 2);
    return plane;
  });
}
