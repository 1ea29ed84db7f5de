// The page's worker: QUAVEN's command line, compiled to WebAssembly, run off
// the page's thread. Each message {id, args, binary} runs `quaven ARGS...` to
// the end and answers {id, result: {status, out, err}}, `out` the text of
// standard output or, with `binary`, its bytes (a Uint8Array); on the way it posts
// {id, progress: [rows written, rows to come]}. A run holds this worker until
// it ends, so the page cancels one by ending the worker and starting another.
import createQuaven from 'quaven-wasm';

const ready = createQuaven();

// Progress at most every 50 ms, and always the first and the last report:
// a legacy sweep writes thousands of rows a second.
const progressEvery = 50;

self.onmessage = async ({ data }) => {
  const { id, args, binary } = data;
  let quaven;
  try {
    quaven = await ready;
  } catch (e) {
    self.postMessage({ id, error: `the WebAssembly module did not start: ${e}`, fatal: true });
    return;
  }
  if (args === null) {
    // What the page asks once: the version, what each note means, and
    // whether this build has the full-wave model.
    self.postMessage({ id, result: {
      version: quaven.run(['--version'], undefined).out.trim(),
      notes: quaven.notes(),
      fullWave: /--full-wave\b/.test(quaven.run(['response', '--help'], undefined).out),
    } });
    return;
  }
  let last = -Infinity;
  const progress = (done, total) => {
    const now = performance.now();
    if (done !== 0 && done !== total && now - last < progressEvery) return;
    last = now;
    self.postMessage({ id, progress: [done, total] });
  };
  try {
    const r = binary ? quaven.runBytes(args, progress) : quaven.run(args, progress);
    self.postMessage({ id, result: { status: r.status, out: r.out, err: r.err } }, binary ? [r.out.buffer] : []);
  } catch (e) {
    // The module aborted (out of memory, say): it cannot be trusted again.
    self.postMessage({ id, error: String(e && e.message ? e.message : e), fatal: true });
  }
};
