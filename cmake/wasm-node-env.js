// Linked into the wasm32 build's programs (--pre-js): under node they see the
// process's environment, as native programs do (VC15_LEVEL, the tests'
// expectations); emscripten otherwise gives getenv a fixed set of its own.
// (ENV exists only in programs that read the environment.)
if (typeof process === 'object' && process.env) {
  Module['preRun'] = (Module['preRun'] || []).concat([() => {
    if (typeof ENV === 'object') Object.assign(ENV, process.env);
  }]);
}
