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

let renderer;
let controls;
let scene;

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
export function showAtoms(container, atoms, edge, slab) {
  if (!renderer) {
    renderer = new WebGLRenderer({ antialias: true, preserveDrawingBuffer: true }); // may throw
    renderer.setPixelRatio(window.devicePixelRatio);
    container.append(renderer.domElement);
    new ResizeObserver(() => {
      renderer.setSize(container.clientWidth, container.clientHeight);
      if (controls) {
        controls.object.aspect = container.clientWidth / container.clientHeight;
        controls.object.updateProjectionMatrix();
        renderer.render(scene, controls.object);
      }
    }).observe(container);
  }
  renderer.setSize(container.clientWidth, container.clientHeight);
  controls?.dispose();
  scene?.traverse((object) => {
    object.geometry?.dispose();
    object.material?.dispose();
  });
  scene = new Scene();
  scene.background = new Color("#fff");
  const count = atoms.types.length;
  atoms.colors = atoms.symbols.map((_, type) => PALETTE[type % PALETTE.length]);
  atoms.counts = atoms.symbols.map(() => 0);
  for (let i = 0; i < count; i++) atoms.counts[atoms.types[i]]++;
  // Atoms nearly touch at this radius when they fill the box evenly; a few atoms stay small.
  const radius = Math.min((0.3 * edge) / Math.cbrt(Math.max(count, 1)), 0.04 * edge);
  const object = atomsObject(atoms, radius);
  object.frustumCulled = false; // a coordinate that is not a number would hide every atom
  scene.add(object);
  const box = new LineSegments(
    new EdgesGeometry(new BoxGeometry(edge, edge, edge)),
    new LineBasicMaterial({ color: "#444" }),
  );
  box.position.set(edge / 2, edge / 2, edge / 2);
  scene.add(box);
  // The slab's limits are reduced coordinates: the plane of r lies at (r + 1) * edge / 2.
  for (const limit of slab ? [slab.min, slab.max] : []) {
    const material = new MeshBasicMaterial({
      color: "#e8a33d",
      transparent: true,
      opacity: 0.25,
      side: DoubleSide,
      depthWrite: false,
    });
    const plane = new Mesh(new PlaneGeometry(edge, edge), material);
    const at = ((limit + 1) * edge) / 2;
    plane.position.set(edge / 2, edge / 2, edge / 2);
    if (slab.axis === 0) plane.rotation.y = Math.PI / 2;
    if (slab.axis === 1) plane.rotation.x = Math.PI / 2;
    plane.position.setComponent(slab.axis, at);
    scene.add(plane);
  }
  scene.add(new AmbientLight("#fff", 1.2));
  const camera = new PerspectiveCamera(
    40,
    container.clientWidth / container.clientHeight,
    edge / 100,
    edge * 20,
  );
  const light = new DirectionalLight("#fff", 2);
  camera.add(light);
  scene.add(camera);
  camera.position.set(edge * 2.1, edge * 1.5, edge * 2.6);
  controls = new OrbitControls(camera, renderer.domElement);
  controls.target.set(edge / 2, edge / 2, edge / 2);
  controls.addEventListener("change", () => renderer.render(scene, camera));
  controls.update();
  renderer.render(scene, camera);
  return count > SPHERES
    ? `More than ${SPHERES.toLocaleString("en")} atoms: drawn as points, a lighter style.`
    : "";
}
