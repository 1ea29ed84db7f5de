// Output files written without harm: an ordinary file appears whole or not
// at all, and what is not an ordinary file is written, never replaced.
//
// open() looks at what the path names (following symbolic links):
// - an ordinary file, or nothing yet: the text goes to a temporary file
//   `.NAME.XXXXXX` beside the file the links end at (so that the final rename
//   stays within one file system and the links stay links); commit() flushes
//   it, forces it to the disk, renames it over that file and forces the
//   folder to the disk. Without a commit, or after any failure, the
//   temporary file is removed and a file already there is left as it was;
// - the very file the process's standard output is (/dev/stdout, say, or
//   the file the shell redirected it to): written through descriptor 1, as
//   the shell opened it (a redirection that appends still appends);
// - a FIFO, a character device or a socket: opened and written in place
//   (a FIFO waits for its reader, as the shell does);
// - a folder or a block device: refused.
// A write that fails is a failure in every case (a full disk, /dev/full, a
// file-size limit). Errors carry the system's reason (strerror).
//
// The temporary files of this process are removed on SIGINT, SIGTERM and
// SIGHUP, which then end the process as they would have (where the signal's
// action was the default one; an ignored or handled signal is left alone).
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace quaven {

// How a destination is written.
enum class Destination {
  replaced,         // a temporary file renamed over it at the commit
  standard_output,  // descriptor 1
  direct,           // opened and written in place
};

class AtomicFile {
 public:
  // `what` names the file in messages: "cannot write the `what` 'PATH': ...".
  explicit AtomicFile(std::string what = "output file");
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Opens the destination as described above; false with `error` set when it
  // cannot be written (no such folder, a folder in its place, no
  // permission). Call before any work, so that a bad path is reported at
  // once. Ignores SIGXFSZ, so that a write past the file-size limit fails
  // with EFBIG instead of killing the process.
  bool open(const std::string& path, std::string& error);

  // How the destination opened is written.
  Destination destination() const { return destination_; }

  // The stream to write to. A failed write sets its badbit; the reason is
  // kept for commit().
  std::ostream& stream() { return stream_; }

  // Flushes and, for a replaced file, syncs, closes and renames into place
  // and syncs the folder; false with `error` set (and the temporary file
  // removed) when any of it, or an earlier write, failed.
  bool commit(std::string& error);

  // What open() would refuse, found without creating or opening anything
  // (a FIFO is not opened, as that waits for a reader): the message, or ""
  // when the path looks writable.
  static std::string check(const std::string& path, const std::string& what = "output file");

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

  std::string what_;
  std::string path_;    // as given, for messages
  std::string target_;  // the file a replaced destination's links end at
  std::string temp_;
  int slot_ = -1;  // of the temporary file among those removed on a signal
  Destination destination_ = Destination::replaced;
  int fd_ = -1;
  int errno_ = 0;  // the first failure of a write
  Buffer buffer_;
  std::ostream stream_;
};

// A file for another program to write (gnuplot's drawing): created empty as
// `$TMPDIR/quaven-NAME-XXXXXX` (/tmp without TMPDIR), removed by the
// destructor, and on SIGINT, SIGTERM and SIGHUP as AtomicFile's temporaries.
class ScratchFile {
 public:
  ScratchFile() = default;
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // False with `error` (the system's reason) when it cannot be made.
  bool create(const std::string& name, std::string& error);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int slot_ = -1;
};

}  // namespace quaven
