// An output file that appears whole or not at all. The text goes to a
// temporary file in the destination's folder (so that the final rename stays
// within one file system); commit() flushes it, forces it to the disk and
// renames it over the destination. On any failure, or without a commit, the
// temporary file is removed and a file already at the destination is left as
// it was. Errors carry the system's reason (strerror).
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace quaven {

class AtomicFile {
 public:
  AtomicFile();
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file beside `path`; false with `error` set when
  // the destination cannot be written (no such folder, a folder in its
  // place, no permission). Call before any work, so that a bad path is
  // reported at once. Ignores SIGXFSZ, so that a write past the file-size
  // limit fails with EFBIG instead of killing the process.
  bool open(const std::string& path, std::string& error);

  // The stream to write to. A failed write sets its badbit; the reason is
  // kept for commit().
  std::ostream& stream() { return stream_; }

  // Flushes, syncs, closes and renames into place; false with `error` set
  // (and the temporary file removed) when any of it, or an earlier write,
  // failed.
  bool commit(std::string& error);

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(AtomicFile& owner);
    bool drain();

   protected:
    int_type overflow(int_type c) override;
    int sync() override;

   private:
    AtomicFile& owner_;
    std::vector<char> data_;
  };

  void discard();
  std::string reason(const std::string& what) const;

  std::string path_;
  std::string temp_;
  int fd_ = -1;
  int errno_ = 0;  // the first failure of a write
  Buffer buffer_;
  std::ostream stream_;
};

}  // namespace quaven
