// The page's script. ?size=SUFFIX shows that deliverable's picture (720: 1280 x 720; the first
// of the build's list, 1920 x 1080, by default); ?stage=grain, vignette, render or composite
// shows that buffer instead of the frame. The
// program computes every pixel and hands the finished frame to vellumShow, which puts it on
// the canvas; everything after the render is synchronous, so that a page reading this one (in
// a frame, say) sees it complete once the progress bar is hidden. Kept in a file of its own,
// as the style is, so that a site's Content-Security-Policy of 'self' lets it run.
const query = new URLSearchParams(location.search);
const sizes = { @VELLUM_PAGE_SIZES@ };
const size = Object.hasOwn(sizes, query.get('size')) ? query.get('size') : '@VELLUM_DESIGN_SUFFIX@';
const stages = ['render', 'composite', 'grain', 'vignette'];
const canvas = document.getElementById('picture');
[canvas.width, canvas.height] = sizes[size];
const picture = canvas.getContext('2d', { alpha: false });
const message = document.getElementById('message');
message.textContent = '';

// WebAssembly's 128-bit SIMD where the browser accepts a module that uses it (one function:
// i8x16.splat and i8x16.popcnt), the plain module elsewhere; both draw the same picture.
const wasm = typeof WebAssembly === 'object';
const simd = wasm && WebAssembly.validate(new Uint8Array([
  0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0, 65, 0, 253, 15, 253, 98, 11]));
const program = `vellum-${size}${simd ? '-simd' : ''}`;

function say(sentence) {
  canvas.style.display = 'none';
  document.getElementById('progress').style.display = 'none';
  message.textContent = sentence;
}
function vellumStage() { return stages.indexOf(query.get('stage')); }
function vellumProgress(pass, passes) {
  document.getElementById('progress').style.width = (100 * pass / passes) + '%';
}
// The frame's RGBA bytes, bottom row first as OpenGL keeps them, onto the canvas top row
// first. Kept, to be shown again where the browser gives back a canvas it had taken away.
let shown = null;
function draw() {
  const row = 4 * canvas.width, image = picture.createImageData(canvas.width, canvas.height);
  for (let y = 0; y < canvas.height; ++y)
    image.data.set(shown.subarray((canvas.height - 1 - y) * row, (canvas.height - y) * row), y * row);
  picture.putImageData(image, 0, 0);
}
// A program of the other size (after a mixed upload, or from a stale cache) is not drawn.
function vellumShow(pixels, width, height) {
  if (width !== canvas.width || height !== canvas.height) {
    say(`Vellum's program here draws ${width} x ${height}, not the ${canvas.width} x ${canvas.height} that ` +
        `vellum-${size}.js should: upload vellum-${size}.js and its .wasm files again, or reload past the cache.`);
    return;
  }
  shown = pixels;
  draw();
  document.getElementById('progress').style.display = 'none';
}
canvas.addEventListener('contextrestored', () => shown && draw());

// Why a program that arrived did not run: a browser that cannot give it its memory says so
// with a RangeError; anything else is taken for a damaged or wrong file.
let failure = null;
addEventListener('error', event => { failure = event.error; });
function couldNotLoad(reason) {
  if (failure instanceof RangeError || /memory/i.test(String(reason)))
    say('This browser cannot give Vellum the memory its picture needs: close other tabs and reload.');
  else
    say(`Vellum could not load its program (vellum-${size}.js and ${program}.wasm) from this site.`);
}

// A click or F (alone: Ctrl+F and Cmd+F stay the browser's Find) toggles full screen; Escape
// leaves it, as the browser does anyway.
function toggleFullScreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.documentElement.requestFullscreen().catch(() => {});
}
canvas.addEventListener('click', toggleFullScreen);
addEventListener('keydown', event => {
  if ((event.key === 'f' || event.key === 'F') && !event.ctrlKey && !event.metaKey && !event.altKey) toggleFullScreen();
});

// Browsers do not let a page opened from a file fetch its program, so it is not tried there.
if (location.protocol === 'file:') {
  say('Vellum cannot load its program from a file: serve this folder over HTTP (for example with python3 -m http.server) and open it from there.');
} else if (!wasm) {
  say('This browser cannot run Vellum: it has no WebAssembly (it may be turned off).');
} else if (!picture) {
  say('Vellum cannot draw on a canvas in this browser.');
} else {
  // The module is fetched while the script that loads it (one for both modules of a
  // resolution) arrives. A module that cannot be fetched or compiled ends in onAbort; a
  // script that arrives but does not run to its end never marks the program as arrived.
  var Module = { onAbort: couldNotLoad, locateFile: file => file.endsWith('.wasm') ? `${program}.wasm` : file };
  const preload = document.createElement('link');
  Object.assign(preload, { rel: 'preload', href: `${program}.wasm`, as: 'fetch', crossOrigin: 'anonymous' });
  document.head.appendChild(preload);
  const script = document.createElement('script');
  script.src = `vellum-${size}.js`;
  script.onerror = couldNotLoad;
  script.onload = () => Module.vellumArrived || couldNotLoad(failure);
  document.body.appendChild(script);
}
