// The console dialogue: design to beamwidth over a sweep of the maximum
// aperture phase deviation S, then frequency responses of given horns.
//
// Terminal and report receive the same tables; the report alone carries the
// banner, the credit line, each design's title block and each response's
// title. Table headers go to the terminal first, table lines to the report
// first, and every report record reaches the file as it is written, so a run
// that fails part-way keeps all it had written.
#include "dialogue/dialogue.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "api/checks.h"
#include "api/jobs.h"
#include "text/answers.h"
#include "text/fields.h"
#include "text/records.h"
#include "text/row_writer.h"
#include "numeric/constants.h"
#include "numeric/shortest.h"
#include "numeric/sweep.h"

namespace quaven {
namespace {

// A number of the dialogue's answers, as the value API takes it.
api::Number number(float x) { return api::Number{x, static_cast<double>(x)}; }

// The dialogue's words for the answers a note names: "S range 0.1 1.5 0.1".
class Words : public api::Words {
 public:
  void given(api::Arg arg, const std::vector<float>& values) {
    std::string t = name(arg);
    for (const float v : values) t += " " + shortest(v);
    given_[arg] = t;
  }
  std::string name(api::Arg arg) const override {
    switch (arg) {
      case api::Arg::beamwidth: return "beamwidth";
      case api::Arg::s: return "S range";
      case api::Arg::plane: return "design plane";
      case api::Arg::aperture: return "aperture";
      case api::Arg::slant: return "slant radius";
      case api::Arg::freqs: return "frequency range";
      case api::Arg::freq: return "frequency";
      case api::Arg::level: return "pattern level";
      default: return "answer";
    }
  }
  std::string given(api::Arg arg) const override {
    const auto it = given_.find(arg);
    return it == given_.end() ? name(arg) : it->second;
  }

 private:
  std::map<api::Arg, std::string> given_;
};

// The run ends here: `status` is the exit status, the diagnostic (if any)
// has been written already.
struct RunEnd {
  int status;
};

// The report file. Naming it creates it when missing but leaves an existing
// file as it is; the first record replaces the old contents, and every
// record is flushed as it is written.
class Report {
 public:
  ~Report() {
    if (file_ != nullptr) std::fclose(file_);
  }
  bool name(const std::string& fname) {
    std::FILE* probe = std::fopen(fname.c_str(), "a");
    if (probe == nullptr) return false;
    std::fclose(probe);
    fname_ = fname;
    return true;
  }
  // Writes `text` (whole lines); false when the file cannot be written.
  bool write(const std::string& text) {
    if (file_ == nullptr) {
      file_ = std::fopen(fname_.c_str(), "w");
      if (file_ == nullptr) return false;
    }
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) return false;
    return std::fflush(file_) == 0;
  }
  bool close() {
    if (file_ == nullptr) return true;
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
  }
  const std::string& fname() const { return fname_; }

 private:
  std::string fname_;
  std::FILE* file_ = nullptr;
};

class Dialogue {
 public:
  Dialogue(std::istream& in, std::ostream& out, std::ostream& err) : answers_(in), out_(out), err_(err) {}

  int run() {
    try {
      start();
      for (;;) design();
    } catch (const RunEnd& end) {
      return end.status;
    }
  }

 private:
  // --- output -------------------------------------------------------------

  void terminal(const std::string& text) {
    if (!text.empty()) line_open_ = text.back() != '\n';
    out_ << text;
    out_.flush();
    if (!out_) fail("cannot write to standard output");
  }
  // A prompt leaves the cursor after its last character.
  void prompt(const std::string& text) { terminal(text); }
  void report(const std::string& text) {
    if (!report_.write(text)) fail("cannot write the report file '" + report_.fname() + "'");
  }

  // --- failures -----------------------------------------------------------

  [[noreturn]] void fail(const std::string& what) {
    if (line_open_) {
      out_ << '\n';  // end the prompt's line so the diagnostic stands apart
      out_.flush();
    }
    err_ << "quaven: " << what << '\n';
    err_.flush();
    report_.close();
    throw RunEnd{1};
  }
  void check(const ReadResult& r, const char* where, const char* what) {
    if (r) return;
    if (r.status == ReadStatus::end_of_input) fail(std::string(where) + ": input ended before " + what + " was read");
    fail(std::string(where) + ": cannot read '" + r.item + "' as " + what +
         (r.reason.empty() ? std::string() : " (" + r.reason + ")"));
  }
  void read_reals(float* v, int n, const char* where, const char* what) {
    check(answers_.read_reals(v, n), where, what);
  }
  void read_integer(int& v, const char* where, const char* what) {
    check(answers_.read_integers(&v, 1), where, what);
  }
  void note(const std::string& what) {
    err_ << "quaven: " << what << '\n';
    err_.flush();
  }

  // The number of values of a sweep (see count_sweep; the step is not 0).
  // False (after a note) when that count is no 32-bit integer.
  bool sweep_count(float first, float last, float step, int& count, const char* what) {
    Sweep sweep{first, last, step, 0};
    if (!count_sweep(sweep)) {
      note(std::string("the ") + what + " gives no countable number of values; enter it again");
      return false;
    }
    count = sweep.count;
    return true;
  }

  // --- the run ------------------------------------------------------------

  void start() {
    ihead_ = 0;
    terminal(" Conical TE-11 Mode Horn Designed to Beamwidth\n");
    prompt(" Enter output file ");
    std::string fname;
    bool cut = false;
    check(answers_.read_name(fname, &cut), "output file", "a file name");
    const auto end = fname.find_last_not_of(' ');
    fname.erase(end == std::string::npos ? 0 : end + 1);
    if (fname.empty()) fail("output file: no file name given");
    if (fname.find('\0') != std::string::npos) fail("output file: the name contains a NUL byte");
    if (!report_.name(fname)) fail("cannot open the report file '" + fname + "'");
    if (cut) note("the report file name is cut to its first 70 characters: '" + fname + "'");
    for (;;) {
      prompt(" Enter units: 1 cm, 2 inches ");
      read_integer(iunit_answer_, "units", "a whole number");
      if (iunit_answer_ == 0) finish();
      if (iunit_answer_ == 1 || iunit_answer_ == 2) break;
      note("units must be 1 (cm), 2 (inches) or 0 to end; got " + std::to_string(iunit_answer_));
    }
    iunit_ = iunit_answer_;
  }

  // A normal end: nothing more is written.
  [[noreturn]] void finish() {
    if (!report_.close()) fail("cannot write the report file '" + report_.fname() + "'");
    out_.flush();
    if (!out_) {
      err_ << "quaven: cannot write to standard output\n";
      throw RunEnd{1};
    }
    throw RunEnd{0};
  }

  // One design, with its sweeps over S; a design frequency of 0 or less
  // ends the run.
  void design() {
    prompt(" Enter Frequency (GHz), Beamwidth (0 terminates) ");
    read_reals(design_answer_, 2, "design frequency and beamwidth", "a number");
    freq_ = design_answer_[0];
    bw_ = design_answer_[1];
    if (freq_ <= 0.0f) finish();

    prompt(" Enter Pattern Level (dB) at Beamwdith ");
    read_reals(&plev_, 1, "pattern level", "a number");
    ilev_ = api::checks::own_curve(plev_);
    if (ilev_ == 0) {
      for (;;) {
        terminal(" Enter Beamwidth Level to Derive Given Level\n");
        prompt(" (1)" + fixed(5, 1, legacy::curve_levels[0]) + " ,(2)" + fixed(5, 1, legacy::curve_levels[1]) + " ");
        read_integer(derive_answer_, "beamwidth level to derive from", "a whole number");
        if (derive_answer_ == 1 || derive_answer_ == 2) break;
        note("the level to derive from must be 1 or 2; got " + std::to_string(derive_answer_));
      }
      ilev_ = derive_answer_;
    }
    prompt(" Enter Design (1) E Plane, (2) H Plane, (3) Average ");
    read_integer(iplane_, "design plane", "a whole number");

    if (ihead_ == 0) {
      report("\n" + blanks(4) + " QUAVEN\n");
      report(" Written by the QUAVEN developers\n");
      ihead_ = 1;
    }
    report("\n\n Circular TE-11 Mode Horn Designed to Beamwidth\n\n" + blanks(3) + " Frequency (GHz) = " +
           fixed(8, 3, freq_) + "\n" + blanks(3) + " Design Beamwidth: " + fixed(7, 2, bw_) + " " + " @:" +
           fixed(4, 0, plev_) + " dB\n");

    while (sweep()) {
    }
  }

  // One sweep over S; false when a step of 0 goes back to the design prompt.
  bool sweep() {
    float sstart = 0.0f, sstop = 0.0f, sstep = 0.0f;
    int nspt = 0;
    for (;;) {
      terminal(" Enter Max Aperture Phase Deviation (Cycles: 0 TO 1)\n");
      prompt(blanks(10) + " Start,Stop,Step (0 terminates) ");
      read_reals(s_answer_, 3, "S range", "a number");
      sstart = s_answer_[0];
      sstop = s_answer_[1];
      sstep = s_answer_[2];
      if (sstep == 0.0f) return false;
      if (sweep_count(sstart, sstop, sstep, nspt, "S range")) break;
    }
    api::DesignRequest q;
    q.unchecked = true;
    q.units = units();
    q.freq = number(freq_);
    q.beamwidth = number(bw_);
    q.level = api::Level{number(plev_), ilev_};
    q.plane = static_cast<api::Plane>(iplane_);
    q.s = api::Sweep::counted(api::Arg::s, number(sstart), number(sstop), number(sstep));
    Words words;
    words.given(api::Arg::beamwidth, {bw_});
    words.given(api::Arg::s, {sstart, sstop, sstep});
    words.given(api::Arg::plane, {static_cast<float>(iplane_)});
    Lines lines(*this, words);
    api::design(q, lines);
    while (response()) {
    }
    return true;
  }

  // One horn of the frequency-response loop; false when an aperture of 0
  // or less goes back to the S-range prompt.
  bool response() {
    terminal(" Frequency Response\n");
    prompt(" Enter Aperture, Slant Radius (0 terminates) ");
    read_reals(horn_answer_, 2, "aperture and slant radius", "a number");
    if (horn_answer_[0] <= 0.0f) return false;
    const float arad = horn_answer_[0] / un_();
    const float srad = horn_answer_[1] / un_();

    float fstart = 0.0f, fstop = 0.0f, fstep = 0.0f;
    int nfpt = 0;
    for (;;) {
      prompt(" Enter Frequency (GHz)  Start,Stop,Step ");
      read_reals(f_answer_, 3, "frequency range", "a number");
      fstart = f_answer_[0];
      fstop = f_answer_[1];
      fstep = f_answer_[2];
      if (fstep == 0.0f) return true;
      if (sweep_count(fstart, fstop, fstep, nfpt, "frequency range")) break;
    }
    report(response_title(arad, srad, iunit_));
    api::ResponseRequest q;
    q.unchecked = true;
    q.units = units();
    q.cone = api::Cone{number(horn_answer_[0]), number(horn_answer_[1])};
    q.level = api::Level{number(plev_), ilev_};
    q.freqs = api::Sweep::counted(api::Arg::freqs, number(fstart), number(fstop), number(fstep));
    Words words;
    words.given(api::Arg::aperture, {horn_answer_[0]});
    words.given(api::Arg::slant, {horn_answer_[1]});
    words.given(api::Arg::freqs, {fstart, fstop, fstep});
    Lines lines(*this, words);
    api::response(q, lines);
    return true;
  }

  // The tables of the value API's rows: the header to the terminal first,
  // each line to the report first. What the command line would refuse and
  // the rows' notes go to standard error as the command line words them
  // (the refusals first, as notes: the dialogue computes what it is given),
  // never to the terminal's output or the report.
  class Lines : public api::Sink {
   public:
    Lines(Dialogue& d, const Words& words) : d_(d), words_(words) {}
    void begin(const api::Head& head) override {
      head_ = head;
      for (const api::Refusal& r : head_.waived) d_.note("note: " + api::message(r, words_));
      const std::string text = table_header(head_);
      d_.terminal(text);
      d_.report(text);
    }
    void row(const api::Row& row) override {
      const std::string line = table_line(head_, row);
      d_.report(line);
      d_.terminal(line);
      notes_.add(++rows_, row);
    }
    void end() override {
      notes_.write(d_.err_, head_.key);
      d_.err_.flush();
    }

   private:
    Dialogue& d_;
    const Words& words_;
    api::Head head_;
    long long rows_ = 0;
    TableNotes notes_;
  };

  api::Units units() const { return iunit_ == 1 ? api::Units::cm : api::Units::in; }
  float un_() const { return unit_factor[iunit_ - 1]; }

  AnswerReader answers_;
  std::ostream& out_;
  std::ostream& err_;
  Report report_;
  bool line_open_ = false;  // the terminal's last line has no line end yet

  // Each prompt keeps its last answer: an item left empty keeps it.
  int iunit_answer_ = 0;
  float design_answer_[2] = {};
  int derive_answer_ = 0;
  float s_answer_[3] = {};
  float horn_answer_[2] = {};
  float f_answer_[3] = {};

  int ihead_ = 0;
  int iunit_ = 2;
  float freq_ = 0.0f;
  float bw_ = 0.0f;
  float plev_ = 0.0f;
  int ilev_ = 0;
  int iplane_ = 0;
};

}  // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err) { return Dialogue(in, out, err).run(); }

}  // namespace quaven
