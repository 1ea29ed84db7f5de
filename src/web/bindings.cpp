// The browser's entry to QUAVEN: the command line run in memory. The page
// passes the same arguments a user would type after `quaven` and gets back
// the exit status, standard output and standard error, so that every check,
// message, note, CSV and JSON byte is the command line's own and the page
// does no arithmetic of its own on the horn. Beside it, the sentences that
// explain the notes named in the rows of CSV and JSON.
//
// The page loads this module in a Web Worker, so a long run holds the
// worker, not the page; the worker passes a function that posts each
// progress report (rows done, rows to come) back to the page.
#include <emscripten/bind.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "api/validity.h"

namespace {

struct Run {
  int status = 0;
  std::string out;
  std::string err;
};

// `progress`: a function called with (rows done, rows to come), or
// undefined.
Run run(const emscripten::val& args, const emscripten::val& progress) {
  std::vector<std::string> words = emscripten::vecFromJSArray<std::string>(args);
  words.insert(words.begin(), "quaven");
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  Run r;
  try {
    quaven::ProgressHook hook;
    if (progress.typeOf().as<std::string>() == "function") {
      hook = [&progress](long long done, long long total) {
        progress(static_cast<double>(done), static_cast<double>(total));
      };
    }
    r.status = quaven::run_cli(static_cast<int>(words.size()), argv.data(), out, err, {}, hook);
  } catch (const std::exception& e) {
    // Nothing the command line lets through should end here; if it does,
    // the page shows it instead of losing the module.
    err << "quaven: " << e.what() << "\n";
    r.status = 1;
  }
  r.out = out.str();
  r.err = err.str();
  return r;
}

// As run(), with standard output as bytes (a Uint8Array): the binary STL
// the geometry subcommand writes is no text, and embind would read a
// std::string as UTF-8.
emscripten::val run_bytes(const emscripten::val& args, const emscripten::val& progress) {
  const Run r = run(args, progress);
  emscripten::val result = emscripten::val::object();
  result.set("status", r.status);
  result.set("out", emscripten::val(emscripten::typed_memory_view(r.out.size(),
      reinterpret_cast<const unsigned char*>(r.out.data()))).call<emscripten::val>("slice"));
  result.set("err", r.err);
  return result;
}

// Each note's name, as the rows carry it, with the sentence that explains it.
emscripten::val notes() {
  emscripten::val texts = emscripten::val::object();
  for (int i = 0; i < quaven::note_kinds; ++i) {
    const auto n = static_cast<quaven::Note>(i);
    texts.set(quaven::note_key(n), std::string(quaven::note_text(n)));
  }
  return texts;
}

}  // namespace

EMSCRIPTEN_BINDINGS(quaven) {
  emscripten::value_object<Run>("Run")
      .field("status", &Run::status)
      .field("out", &Run::out)
      .field("err", &Run::err);
  emscripten::function("run", &run);
  emscripten::function("runBytes", &run_bytes);
  emscripten::function("notes", &notes);
}
