#include "cli/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <utility>

namespace quaven {

namespace {

// ------------------------------------------- temporaries removed on a signal

// The temporary files of this process, in a form the signal handler can use:
// fixed buffers and lock-free flags, as a handler may only call
// async-signal-safe functions (unlink, getpid, raise).
constexpr int kSlots = 8;
struct Slot {
  std::atomic<bool> used{false};
  char path[PATH_MAX];
};
Slot g_slots[kSlots];
// The process that made them: a child between fork and exec (popen's) runs
// the handler too, and must leave its parent's files alone.
std::atomic<pid_t> g_owner{0};
bool g_installed = false;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void remove_temporaries(int sig) {
  const int saved = errno;
  if (::getpid() == g_owner.load()) {
    for (Slot& s : g_slots) {
      if (s.used.load()) ::unlink(s.path);
    }
  }
  errno = saved;
  // SA_RESETHAND restored the default action on entry, and the signal is
  // blocked while its handler runs: raised again, it ends the process as
  // soon as the handler returns, with the status that signal gives.
  ::raise(sig);
}

// Handlers for the signals whose action is the default (termination); one
// that is ignored (nohup) or handled by someone else is left as it is.
void install_handlers() {
  if (g_installed) return;
  g_installed = true;
  g_owner.store(::getpid());
  for (const int sig : kSignals) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0) continue;
    if ((old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL) continue;
    struct sigaction sa {};
    sa.sa_handler = remove_temporaries;
    sigemptyset(&sa.sa_mask);
    for (const int other : kSignals) sigaddset(&sa.sa_mask, other);
    sa.sa_flags = SA_RESETHAND;
    ::sigaction(sig, &sa, nullptr);
  }
}

// SIGINT, SIGTERM and SIGHUP held back for a scope, so that a file is never
// made without being remembered, nor forgotten while it still exists.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kSignals) sigaddset(&set, sig);
    ::sigprocmask(SIG_BLOCK, &set, &old_);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t old_;
};

// The slot remembering `path`, or -1 when none is free (the file is then
// still removed on every other way out).
int remember(const std::string& path) {
  install_handlers();
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    if (!g_slots[i].used.load()) {
      std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
      g_slots[i].used.store(true);
      return i;
    }
  }
  return -1;
}

void forget(int slot) {
  if (slot >= 0) g_slots[slot].used.store(false);
}

// ----------------------------------------------------------- destinations

// "dir/" of "dir/name", "" of a bare name.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file the symbolic links at `path` end at (`path` itself when it is no
// link), which need not exist yet; false with errno set (ELOOP past 40 links,
// the kernel's own limit).
bool final_target(const std::string& path, std::string& target) {
  std::string p = path;
  for (int hops = 0; hops <= 40; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) {
      if (errno != ENOENT) return false;
      target = p;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      target = p;
      return true;
    }
    std::vector<char> buf(PATH_MAX);
    const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) >= buf.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    const std::string link(buf.data(), static_cast<std::size_t>(n));
    // A relative link is read from the folder that holds it.
    p = !link.empty() && link[0] == '/' ? link : folder_of(p) + link;
  }
  errno = ELOOP;
  return false;
}

// How `path` is to be written: `err` (an errno value) or `refusal` set when
// it cannot be.
struct Plan {
  Destination destination = Destination::replaced;
  bool exists = false;
  struct stat st {};
  std::string target;  // for a replaced file
  int err = 0;
  std::string refusal;
};

Plan plan(const std::string& path) {
  Plan p;
  if (path.empty()) {
    p.err = ENOENT;
    return p;
  }
  if (::stat(path.c_str(), &p.st) == 0) {
    p.exists = true;
    struct stat out {};
    if (::fstat(1, &out) == 0 && out.st_dev == p.st.st_dev && out.st_ino == p.st.st_ino) {
      p.destination = Destination::standard_output;
      return p;
    }
    if (S_ISDIR(p.st.st_mode)) {
      p.err = EISDIR;
      return p;
    }
    if (S_ISBLK(p.st.st_mode)) {
      p.refusal = "a block device (a disk) is neither written over nor replaced";
      return p;
    }
    if (!S_ISREG(p.st.st_mode)) {
      p.destination = Destination::direct;
      return p;
    }
  } else if (errno != ENOENT) {
    // ENOENT: no file yet, or a link to none; both make a new file.
    p.err = errno;
    return p;
  }
  if (!final_target(path, p.target)) p.err = errno;
  return p;
}

std::string message(const std::string& what, const std::string& path, const std::string& why) {
  return "cannot write the " + what + " '" + path + "': " + why;
}

}  // namespace

// ------------------------------------------------------------- the buffer

AtomicFile::Buffer::Buffer(AtomicFile& owner) : owner_(owner), data_(1 << 16) {
  setp(data_.data(), data_.data() + data_.size());
}

bool AtomicFile::Buffer::drain() {
  const char* p = pbase();
  std::size_t left = static_cast<std::size_t>(pptr() - pbase());
  while (left > 0 && owner_.errno_ == 0) {
    const ssize_t n = ::write(owner_.fd_, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      owner_.errno_ = n < 0 ? errno : EIO;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  setp(data_.data(), data_.data() + data_.size());
  return owner_.errno_ == 0;
}

AtomicFile::Buffer::int_type AtomicFile::Buffer::overflow(int_type c) {
  if (owner_.fd_ < 0 || !drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int AtomicFile::Buffer::sync() { return owner_.fd_ >= 0 && drain() ? 0 : -1; }

// --------------------------------------------------------------- the file

AtomicFile::AtomicFile(std::string what) : what_(std::move(what)), buffer_(*this), stream_(&buffer_) {}

AtomicFile::~AtomicFile() { discard(); }

std::string AtomicFile::reason(const std::string& what) const {
  return what + " '" + path_ + "': " + std::strerror(errno_);
}

void AtomicFile::discard() {
  if (fd_ >= 0 && destination_ != Destination::standard_output) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) {
    SignalsHeld held;
    ::unlink(temp_.c_str());
    forget(slot_);
    slot_ = -1;
    temp_.clear();
  }
}

std::string AtomicFile::check(const std::string& path, const std::string& what) {
  const Plan p = plan(path);
  if (!p.refusal.empty()) return message(what, path, p.refusal);
  int err = p.err;
  if (err == 0 && p.destination == Destination::replaced) {
    const std::string folder = folder_of(p.target);
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) err = errno;
  } else if (err == 0 && p.destination == Destination::direct) {
    if (::access(path.c_str(), W_OK) != 0) err = errno;
  }
  return err == 0 ? std::string() : message(what, path, std::strerror(err));
}

bool AtomicFile::open(const std::string& path, std::string& error) {
  discard();
  path_ = path;
  errno_ = 0;
  stream_.clear();
  ::signal(SIGXFSZ, SIG_IGN);

  const Plan p = plan(path);
  destination_ = p.destination;
  if (!p.refusal.empty()) {
    error = message(what_, path_, p.refusal);
    return false;
  }
  if (p.err != 0) {
    errno_ = p.err;
    error = reason("cannot write the " + what_);
    return false;
  }
  if (destination_ == Destination::standard_output) {
    // Whatever the process wrote there through stdio goes first.
    std::cout.flush();
    std::fflush(stdout);
    fd_ = 1;
    return true;
  }
  if (destination_ == Destination::direct) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
      errno_ = errno;
      error = reason("cannot write the " + what_);
      return false;
    }
    return true;
  }

  target_ = p.target;
  const std::size_t slash = target_.find_last_of('/');
  const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  const std::string name = folder_of(target_) + "." + base + ".XXXXXX";
  std::vector<char> templ(name.begin(), name.end());
  templ.push_back('\0');
  {
    SignalsHeld held;
    fd_ = ::mkstemp(templ.data());
    if (fd_ >= 0) {
      temp_ = templ.data();
      slot_ = remember(temp_);
    }
  }
  if (fd_ < 0) {
    errno_ = errno;
    error = reason("cannot write the " + what_);
    return false;
  }
  // The owner and permissions of the file it replaces (the owner as far as
  // the process may give it: root may), or those a new file gets from the
  // umask, not mkstemp's private ones.
  mode_t mode = 0666;
  if (p.exists) {
    mode = p.st.st_mode & 07777;
    if (p.st.st_uid != ::geteuid() || p.st.st_gid != ::getegid()) {
      if (::fchown(fd_, p.st.st_uid, p.st.st_gid) != 0) {
        // Not permitted: the new file is the process's own, as an editor's.
      }
    }
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(fd_, mode);
  return true;
}

bool AtomicFile::commit(std::string& error) {
  if (fd_ < 0) {
    error = "no " + what_ + " is open";
    return false;
  }
  stream_.flush();
  if (destination_ == Destination::standard_output) {
    fd_ = -1;
  } else if (destination_ == Destination::direct) {
    const int closed = ::close(fd_);
    if (errno_ == 0 && closed != 0) errno_ = errno;
    fd_ = -1;
  } else {
    if (errno_ == 0 && ::fsync(fd_) != 0) errno_ = errno;
    const int closed = ::close(fd_);
    if (errno_ == 0 && closed != 0) errno_ = errno;
    fd_ = -1;
    if (errno_ == 0) {
      SignalsHeld held;
      if (::rename(temp_.c_str(), target_.c_str()) == 0) {
        forget(slot_);
        slot_ = -1;
        temp_.clear();
      } else {
        errno_ = errno;
      }
    }
  }
  if (errno_ != 0) {
    error = reason("cannot write the " + what_);
    discard();
    return false;
  }
  if (destination_ != Destination::replaced) return true;
  // The rename is in the folder's entries: forced to the disk as well, or a
  // crash could bring back the old file (or none). A file system that cannot
  // sync a folder says EINVAL, and has nothing to force; a folder the
  // process may write in but not read cannot be opened to be synced.
  const std::string folder = folder_of(target_);
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int err = 0;
  if (dir >= 0) {
    if (::fsync(dir) != 0 && errno != EINVAL && errno != ENOTSUP) err = errno;
    ::close(dir);
  }
  if (err != 0) {
    error = "cannot sync the folder of the " + what_ + " '" + path_ + "': " + std::strerror(err);
    return false;
  }
  return true;
}

// --------------------------------------------------------------- scratch

ScratchFile::~ScratchFile() {
  if (path_.empty()) return;
  SignalsHeld held;
  ::unlink(path_.c_str());
  forget(slot_);
}

bool ScratchFile::create(const std::string& name, std::string& error) {
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
  const std::string templ_text = folder + "/quaven-" + name + "-XXXXXX";
  std::vector<char> templ(templ_text.begin(), templ_text.end());
  templ.push_back('\0');
  SignalsHeld held;
  const int fd = ::mkstemp(templ.data());
  if (fd < 0) {
    error = "cannot make a temporary file in '" + folder + "': " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  path_ = templ.data();
  slot_ = remember(path_);
  return true;
}

}  // namespace quaven
