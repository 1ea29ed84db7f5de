// The page's side of a worker that runs QUAVEN's command line (worker.js).
// Runs are answered in the order they were asked; cancel() ends the worker
// at once, whatever it is computing, fails the runs it held with Cancelled
// and starts a fresh worker for the next ones.
import workerSource from 'quaven-worker';

// A run ended by cancel(), not by the program.
export class Cancelled extends Error {
  constructor() {
    super('cancelled');
    this.name = 'Cancelled';
  }
}

// One Blob URL for every worker: the page is one file, so the worker's
// script (with the WebAssembly module inside it) travels in the page.
let workerURL = null;
const scriptURL = () => {
  workerURL ??= URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' }));
  return workerURL;
};

export class Engine {
  constructor() {
    this.nextId = 0;
    this.start();
  }

  start() {
    const worker = new Worker(scriptURL(), { name: 'quaven' });
    const jobs = new Map();
    worker.onmessage = ({ data }) => {
      const job = jobs.get(data.id);
      if (!job) return;
      if (data.progress) {
        job.onProgress?.(...data.progress);
        return;
      }
      jobs.delete(data.id);
      if (data.error === undefined) job.resolve(data.result);
      else {
        job.reject(new Error(data.error));
        if (data.fatal) this.restart();
      }
    };
    // A worker that cannot even load its script: every run fails with why.
    worker.onerror = (e) => {
      e.preventDefault();
      const error = new Error(`the worker failed: ${e.message || 'no reason given'}`);
      for (const job of jobs.values()) job.reject(error);
      jobs.clear();
    };
    this.worker = worker;
    this.jobs = jobs;
  }

  // Ends the worker and fails the runs it held with `reason`; a fresh one
  // takes the next run.
  restart(reason = null) {
    const { worker, jobs } = this;
    worker.terminate();
    this.start();
    for (const job of jobs.values()) job.reject(reason ?? new Error('the worker was restarted'));
  }

  // Runs `quaven ARGS...`: resolves to {status, out, err}; `onProgress(done,
  // total)` hears how many rows are done. With `binary`, `out` is the bytes
  // of standard output (a Uint8Array), not its text.
  run(args, onProgress, { binary = false } = {}) {
    return this.post(args, onProgress, binary);
  }

  // The version line and what each note means: {version, notes}.
  about() {
    return this.post(null);
  }

  post(args, onProgress, binary = false) {
    return new Promise((resolve, reject) => {
      const id = ++this.nextId;
      this.jobs.set(id, { resolve, reject, onProgress });
      this.worker.postMessage({ id, args, binary });
    });
  }

  get busy() {
    return this.jobs.size > 0;
  }

  cancel() {
    this.restart(new Cancelled());
  }
}
