#include "cli/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quaven {

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

AtomicFile::AtomicFile() : buffer_(*this), stream_(&buffer_) {}

AtomicFile::~AtomicFile() { discard(); }

std::string AtomicFile::reason(const std::string& what) const {
  return what + " '" + path_ + "': " + std::strerror(errno_);
}

void AtomicFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
}

bool AtomicFile::open(const std::string& path, std::string& error) {
  discard();
  path_ = path;
  errno_ = 0;
  stream_.clear();
  ::signal(SIGXFSZ, SIG_IGN);

  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    errno_ = EISDIR;
    error = reason("cannot write the output file");
    return false;
  }
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string name = folder + "." + base + ".XXXXXX";
  std::vector<char> templ(name.begin(), name.end());
  templ.push_back('\0');
  fd_ = ::mkstemp(templ.data());
  if (fd_ < 0) {
    errno_ = errno;
    error = reason("cannot write the output file");
    return false;
  }
  temp_ = templ.data();
  // The permissions a new file gets from the umask, or those of the file
  // it replaces.
  mode_t mode = 0666;
  if (exists) {
    mode = st.st_mode & 07777;
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
    error = "no output file is open";
    return false;
  }
  stream_.flush();
  if (errno_ == 0 && ::fsync(fd_) != 0) errno_ = errno;
  const int closed = ::close(fd_);
  if (errno_ == 0 && closed != 0) errno_ = errno;
  fd_ = -1;
  if (errno_ == 0 && ::rename(temp_.c_str(), path_.c_str()) != 0) errno_ = errno;
  if (errno_ != 0) {
    error = reason("cannot write the output file");
    discard();
    return false;
  }
  temp_.clear();
  return true;
}

}  // namespace quaven
