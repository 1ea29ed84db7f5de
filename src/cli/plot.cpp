// Drawing figures with gnuplot through a pipe.
#include "cli/plot.h"

#include "cli/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace quaven {
namespace plot {

namespace {

// Sizes in pixels (hundredths of an inch for PDF).
constexpr int kWidth = 800;
constexpr int kRectHeight = 380;
constexpr int kPolarHeight = 620;
constexpr int kTitleHeight = 40;
constexpr int kTitleLineHeight = 20;     // each further line of a long title
constexpr std::size_t kTitleCharacters = 95;  // at most on a title line
// Series with no more values than this are drawn with a mark at each.
constexpr std::size_t kMarkedPoints = 25;

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string system_reason(int err) { return std::strerror(err); }

// A gnuplot single-quoted string: no escapes inside but '' for a quote.
// Line breaks would end the command, so they become spaces.
std::string quoted(const std::string& text) {
  std::string q = "'";
  for (const char c : text) {
    if (c == '\'') {
      q += "''";
    } else if (c == '\n' || c == '\r') {
      q += ' ';
    } else {
      q += c;
    }
  }
  return q + "'";
}

// A figure's title as a gnuplot double-quoted string, broken at spaces into
// lines of at most `width` characters so that a long one (a full-wave horn's,
// say) is not cut off at the picture's edges.
std::string wrapped_title(const std::string& text, std::size_t width, int& lines) {
  std::string q = "\"";
  std::size_t line_start = 0;
  std::string line;
  std::vector<std::string> out;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ' ' || text[i] == '\n' || text[i] == '\r') {
      const std::string word = text.substr(line_start, i - line_start);
      if (!line.empty() && line.size() + 1 + word.size() > width) {
        out.push_back(line);
        line.clear();
      }
      if (!word.empty()) line += (line.empty() ? "" : " ") + word;
      line_start = i + 1;
    }
  }
  if (!line.empty() || out.empty()) out.push_back(line);
  lines = static_cast<int>(out.size());
  for (std::size_t k = 0; k < out.size(); ++k) {
    if (k > 0) q += "\\n";
    for (const char c : out[k]) {
      if (c == '"' || c == '\\') q += '\\';
      q += c;
    }
  }
  return q + "\"";
}

// A shell single-quoted word.
std::string shell_word(const std::string& text) {
  std::string q = "'";
  for (const char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string number(double v) {
  if (!std::isfinite(v)) return "NaN";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

bool executable(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// ----------------------------------------------------------------- script

// The tic labels of a polar grid: signed angles, 0 at the top.
std::string polar_ttics() {
  std::string t = "set ttics (";
  for (int a = 0; a < 360; a += 30) {
    const int shown = a > 180 ? a - 360 : a;
    if (a) t += ", ";
    t += "'" + (a == 180 ? std::string("±180") : (shown < 0 ? "−" + std::to_string(-shown) : std::to_string(shown))) +
         "°' " + std::to_string(a);
  }
  return t + ")\n";
}

// Which axes of a rectangular panel have at least one point gnuplot can
// place: it refuses to autoscale an axis that has none.
struct Usable {
  bool x = false;
  bool y = false;
  bool y2 = false;
};

Usable usable(const Panel& p) {
  Usable u;
  for (const Series& c : p.series) {
    const std::size_t n = std::min(c.x.size(), c.y.size());
    for (std::size_t i = 0; i < n; ++i) {
      const bool y_ok = std::isfinite(c.y[i]) && (!p.log_y || c.second_axis || c.y[i] > 0.0);
      if (!std::isfinite(c.x[i]) || !y_ok) continue;
      u.x = true;
      (c.second_axis ? u.y2 : u.y) = true;
    }
  }
  return u;
}

std::string range(double lo, double hi) {
  return "[" + (std::isfinite(lo) ? number(lo) : "*") + ":" + (std::isfinite(hi) ? number(hi) : "*") + "]";
}

void panel_settings(std::string& s, const Panel& p, bool has_y2) {
  s += "set title " + quoted(p.title) + "\n";
  s += "unset grid\nunset label\nunset arrow\nunset logscale\n";
  if (p.polar) {
    const double span = p.ceiling_db - p.floor_db;
    double step = 10.0;
    while (span / step > 6.0) step *= 2.0;
    while (span / step < 3.0 && step > 1.0) step /= 2.0;
    s += "set polar\nset angles degrees\nset theta top clockwise\n";
    s += "unset border\nunset xtics\nunset ytics\nunset y2tics\nunset xlabel\nunset ylabel\nunset y2label\n";
    s += "set lmargin -1\nset rmargin -1\nset bmargin -1\nset tmargin -1\n";
    s += "set size ratio 1\n";
    s += "set rrange " + range(p.floor_db, p.ceiling_db) + "\n";
    s += "set xrange " + range(-span, span) + "\nset yrange " + range(-span, span) + "\n";
    // The floor is the centre; its value is in the key, not on the crowded centre.
    s += "set raxis\nset rtics " + number(p.floor_db + step) + "," + number(step) + "," + number(p.ceiling_db) +
         " format '%g dB' font ',8'\n";
    s += polar_ttics();
    s += "set grid polar 30 r lt 0 lc rgb 'gray40'\n";
    s += "set key outside right top vertical\n";
    return;
  }
  const Usable u = usable(p);
  s += "unset polar\nunset raxis\nunset rtics\nunset ttics\nset size noratio\nset border\n";
  // The same plot area in every rectangular panel, so that stacked panels
  // line up; the key goes under it.
  s += "set lmargin at screen 0.11\nset rmargin at screen 0.89\nset bmargin -1\nset tmargin -1\n";
  s += "set autoscale xy\nset autoscale y2\n";
  if (p.log_y) s += "set logscale y\n";
  s += "set xrange " + (u.x ? std::string("[*:*]") : range(0.0, 1.0)) + "\n";
  s += "set yrange " + (u.y || (std::isfinite(p.ymin) && std::isfinite(p.ymax)) ? range(p.ymin, p.ymax)
                        : p.log_y                                               ? range(1.0, 10.0)
                                                                                : range(0.0, 1.0));
  s += "\nset y2range " + (u.y2 ? std::string("[*:*]") : range(0.0, 1.0)) + "\n";
  s += "set xtics border out";
  if (p.xtic_step > 0.0) s += " " + number(p.xtic_step);
  s += "\n";
  s += "set xlabel " + quoted(p.xlabel) + "\nset ylabel " + quoted(p.ylabel) + "\n";
  const std::string ytics = p.ytic_step > 0.0 ? " " + number(p.ytic_step) : std::string();
  if (has_y2) {
    s += "set ytics border out nomirror" + ytics + "\nset y2tics border out\nset y2label " + quoted(p.y2label) + "\n";
  } else {
    s += "set ytics border out mirror" + ytics + "\nunset y2tics\nunset y2label\n";
  }
  s += "set grid xtics ytics lt 0 lc rgb 'gray40'\n";
  s += "set key below horizontal height 0.6\n";
}

void series_data(std::string& s, const Panel& p, const Series& c) {
  const std::size_t n = std::min(c.x.size(), c.y.size());
  double prev = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t i = 0; i < n; ++i) {
    double y = c.y[i];
    if (p.polar && std::isfinite(y)) y = std::min(std::max(y, p.floor_db), p.ceiling_db);
    if (c.break_jump > 0.0 && std::isfinite(prev) && std::isfinite(y) && std::fabs(y - prev) > c.break_jump) s += "\n";
    s += number(c.x[i]) + " " + number(y) + "\n";
    prev = y;
  }
  s += "e\n";
}

void level_data(std::string& s, const Panel& p, double y) {
  if (p.polar) {
    for (int a = -180; a <= 180; a += 2) s += std::to_string(a) + " " + number(y) + "\n";
  } else {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    for (const Series& c : p.series) {
      for (const double x : c.x) {
        if (std::isfinite(x)) {
          lo = std::min(lo, x);
          hi = std::max(hi, x);
        }
      }
    }
    if (lo <= hi) s += number(lo) + " " + number(y) + "\n" + number(hi) + " " + number(y) + "\n";
  }
  s += "e\n";
}

void panel_plot(std::string& s, const Panel& p) {
  bool has_y2 = false;
  for (const Series& c : p.series) has_y2 = has_y2 || (c.second_axis && !p.polar);
  panel_settings(s, p, has_y2);
  std::string cmd;
  for (const Series& c : p.series) {
    cmd += cmd.empty() ? "plot " : ", ";
    // A short sweep also marks its values, so that one or two rows show.
    const bool marked = std::min(c.x.size(), c.y.size()) <= kMarkedPoints;
    cmd += "'-' using 1:2 with " + std::string(marked ? "linespoints pt 7 ps 0.6" : "lines") + " lw 1.5 title " +
           quoted(c.name);
    if (c.second_axis && !p.polar) cmd += " axes x1y2";
  }
  int dash = 2;
  for (const Level& l : p.levels) {
    cmd += cmd.empty() ? "plot " : ", ";
    cmd += "'-' using 1:2 with lines lw 1 dt " + std::to_string(dash++) + " lc rgb 'gray30' title " + quoted(l.name);
  }
  if (cmd.empty()) {
    // Nothing to draw: an empty frame with its title and labels.
    s += "plot NaN notitle\n";
    return;
  }
  s += cmd + "\n";
  for (const Series& c : p.series) series_data(s, p, c);
  for (const Level& l : p.levels) level_data(s, p, l.y);
}

// --------------------------------------------------------------- running

// Runs `program` with `text` on its standard input and its output to `log`
// (a file descriptor); returns its wait status, or -1 when it could not be
// started or not be fed (errno set).
int run(const std::string& program, const std::string& text, int log) {
  // A program that ends before reading all its input would otherwise end
  // this one with SIGPIPE; EPIPE from the write is enough.
  struct sigaction ignore {};
  struct sigaction previous {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &previous);

  const std::string command =
      "exec " + shell_word(program) + " >&" + std::to_string(log) + " 2>&" + std::to_string(log);
  std::fflush(nullptr);
  int status = -1;
  FILE* pipe = popen(command.c_str(), "w");
  if (pipe != nullptr) {
    const bool fed = std::fwrite(text.data(), 1, text.size(), pipe) == text.size() && std::fflush(pipe) == 0;
    const int saved = errno;
    status = pclose(pipe);
    if (!fed && status == 0) {
      status = -1;
      errno = saved;
    }
  }
  const int saved = errno;
  sigaction(SIGPIPE, &previous, nullptr);
  errno = saved;
  return status;
}

// The gist of gnuplot's complaint: its last non-empty line, trimmed.
std::string last_line(int fd) {
  std::string all;
  char buf[4096];
  if (lseek(fd, 0, SEEK_SET) == 0) {
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) all.append(buf, static_cast<std::size_t>(n));
  }
  std::string line;
  std::size_t end = all.size();
  while (line.empty() && end > 0) {
    std::size_t start = all.rfind('\n', end - 1);
    start = start == std::string::npos ? 0 : start + 1;
    line = all.substr(start, end - start);
    const std::size_t a = line.find_first_not_of(" \t\r");
    const std::size_t b = line.find_last_not_of(" \t\r");
    line = a == std::string::npos ? std::string() : line.substr(a, b - a + 1);
    end = start > 0 ? start - 1 : 0;
  }
  return line;
}

// Checks that the file gnuplot wrote is whole, by the end each format must
// have (gnuplot does not report a failed write, e.g. on a full disk): the
// reason when not, else "".
std::string whole(const std::string& path, Format format) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return system_reason(errno);
  char tail[64] = {};
  const off_t size = lseek(fd, 0, SEEK_END);
  const off_t from = size > static_cast<off_t>(sizeof tail) ? size - static_cast<off_t>(sizeof tail) : 0;
  const ssize_t n = size > 0 ? pread(fd, tail, sizeof tail, from) : 0;
  close(fd);
  const std::string end(tail, n > 0 ? static_cast<std::size_t>(n) : 0);
  const bool ok = format == Format::svg   ? end.find("</svg>") != std::string::npos
                  : format == Format::pdf ? end.find("%%EOF") != std::string::npos
                                          : end.size() >= 8 && end.compare(end.size() - 8, 8, "IEND\xae\x42\x60\x82") == 0;
  return ok ? std::string() : "gnuplot's file is incomplete (a full disk or a file-size limit?)";
}

// Copies the file at `from` to `to`; false when it cannot be read.
bool copy(const std::string& from, std::ostream& to) {
  const int fd = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buf[1 << 16];
  ssize_t n = 0;
  while ((n = read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) to.write(buf, n);
  }
  const int saved = errno;
  close(fd);
  errno = saved;
  return n == 0;
}

}  // namespace

// ------------------------------------------------------------------ public

Format format_of(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::string ext = dot == std::string::npos || path.find('/', dot) != std::string::npos
                              ? std::string()
                              : lower(path.substr(dot));
  if (ext == ".svg") return Format::svg;
  if (ext == ".png") return Format::png;
  if (ext == ".pdf") return Format::pdf;
  throw Error("--plot: '" + path + "' must end in .svg, .png or .pdf");
}

std::string find_gnuplot() {
  const char* named = std::getenv("QUAVEN_GNUPLOT");
  const std::string program = named != nullptr && *named != '\0' ? named : "gnuplot";
  if (program.find('/') != std::string::npos) {
    if (executable(program)) return program;
  } else if (const char* path = std::getenv("PATH")) {
    const std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
      std::size_t end = dirs.find(':', start);
      if (end == std::string::npos) end = dirs.size();
      const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
      if (executable(dir + "/" + program)) return dir + "/" + program;
      start = end + 1;
    }
  }
  throw Error("cannot draw the plot: the plotting program '" + program +
              "' was not found (install gnuplot, e.g. the gnuplot-nox package, or name it in QUAVEN_GNUPLOT)");
}

void check(const std::string& path) {
  format_of(path);
  find_gnuplot();
  const std::string refused = AtomicFile::check(path, "plot file");
  if (!refused.empty()) throw Error(refused);
}

std::string script(const Figure& fig, Format format, const std::string& output) {
  int title_lines = 1;
  const std::string title = wrapped_title(fig.title, kTitleCharacters, title_lines);
  const int title_height = kTitleHeight + (title_lines - 1) * kTitleLineHeight;
  int height = title_height;
  for (const Panel& p : fig.panels) height += p.polar ? kPolarHeight : kRectHeight;
  std::string s = "set encoding utf8\n";
  const std::string size = std::to_string(kWidth) + "," + std::to_string(height);
  switch (format) {
    case Format::svg:
      s += "set terminal svg size " + size + " noenhanced font 'Sans,12' background rgb 'white'\n";
      break;
    case Format::png:
      s += "set terminal pngcairo size " + size + " noenhanced font 'Sans,10' background rgb 'white'\n";
      break;
    case Format::pdf:
      s += "set terminal pdfcairo size " + number(kWidth / 100.0) + "in," + number(height / 100.0) +
           "in noenhanced font 'Sans,7'\n";
      break;
  }
  s += "set output " + quoted(output) + "\n";
  s += "set multiplot title " + title + "\n";
  // Panels stacked from the top, each as tall as its kind needs.
  double top = 1.0 - static_cast<double>(title_height) / height;
  for (const Panel& p : fig.panels) {
    const double h = static_cast<double>(p.polar ? kPolarHeight : kRectHeight) / height;
    top -= h;
    s += "set origin 0," + number(top) + "\nset size 1," + number(h) + "\n";
    panel_plot(s, p);
  }
  s += "unset multiplot\nunset output\nexit\n";
  return s;
}

void write(const Figure& fig, const std::string& path) {
  const Format format = format_of(path);
  const std::string program = find_gnuplot();

  // gnuplot draws into a scratch file, which is checked whole and then
  // written to the destination as any output file is.
  ScratchFile drawing;
  std::string error;
  if (!drawing.create("plot", error)) throw Error("cannot draw the plot: " + error);
  FILE* log = std::tmpfile();
  if (log == nullptr) {
    throw Error("cannot draw the plot: no temporary file for gnuplot's messages: " + system_reason(errno));
  }
  const int status = run(program, script(fig, format, drawing.path()), fileno(log));
  const int err = errno;
  std::string why;
  if (status == -1) {
    why = "cannot run '" + program + "': " + system_reason(err);
  } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const std::string said = last_line(fileno(log));
    why = "gnuplot failed";
    if (WIFEXITED(status)) {
      why += " (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    } else if (WIFSIGNALED(status)) {
      why += std::string(" (") + strsignal(WTERMSIG(status)) + ")";
    }
    if (!said.empty()) why += ": " + said;
  } else {
    why = whole(drawing.path(), format);
  }
  std::fclose(log);
  if (!why.empty()) throw Error("cannot write the plot file '" + path + "': " + why);

  AtomicFile out("plot file");
  if (!out.open(path, error)) throw Error(error);
  if (!copy(drawing.path(), out.stream())) {
    throw Error("cannot draw the plot: cannot read gnuplot's file back: " + system_reason(errno));
  }
  if (!out.commit(error)) throw Error(error);
}

}  // namespace plot
}  // namespace quaven
