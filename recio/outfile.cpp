#include "recio/outfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace recio {

namespace {

std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

bool write_all(int fd, std::string_view data, int& err) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    const ssize_t w = ::write(fd, p, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      err = errno;
      return false;
    }
    if (w == 0) {
      err = EIO;
      return false;
    }
    p += w;
    left -= static_cast<std::size_t>(w);
  }
  return true;
}

WriteResult failure(const std::string& path, int err) {
  return {false, "cannot write the file " + path + ": " + std::strerror(err)};
}

}  // namespace

WriteResult write_whole_file(const std::string& path, std::string_view data) {
  FileReplacement file(path);
  file.append(data);
  return file.commit();
}

// Written data is handed on to the disk in steps of this size while more is made, so that
// the flush at the end has less left to wait for.
constexpr std::size_t writeback_step = std::size_t(1) << 20;

FileReplacement::FileReplacement(std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;  // commit() says so
  // The temporary file lives in the target's folder, so that the rename is atomic; mkstemp
  // creates it with O_EXCL, so a file or link planted under a guessed name is never used.
  std::string tmpl = path_ + ".tmpXXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) {
    err_ = errno;
    return;
  }
  tmp_ = name.data();
  if (::fchmod(fd_, new_file_mode()) != 0) err_ = errno;
}

FileReplacement::~FileReplacement() { abandon(); }

// Closes and removes the temporary file, if any.
void FileReplacement::abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
}

void FileReplacement::append(std::string_view data) {
  if (fd_ < 0 || err_ != 0) return;
  if (!write_all(fd_, data, err_)) return;
  size_ += data.size();
#ifdef SYNC_FILE_RANGE_WRITE
  if (size_ - sent_ >= writeback_step) {
    // Advice only: the flush in commit() reports any failure.
    ::sync_file_range(fd_, static_cast<off_t>(sent_), static_cast<off_t>(size_ - sent_),
                      SYNC_FILE_RANGE_WRITE);
    sent_ = size_;
  }
#endif
}

WriteResult FileReplacement::commit() {
  if (path_.empty()) return {false, "cannot write a file without a name"};
  if (fd_ < 0 && err_ == 0) err_ = EBADF;  // committed before
  int err = err_;
  if (err == 0 && ::fsync(fd_) != 0) err = errno;
  if (fd_ >= 0 && ::close(fd_) != 0 && err == 0) err = errno;
  fd_ = -1;
  if (err == 0 && std::rename(tmp_.c_str(), path_.c_str()) != 0) err = errno;
  if (err != 0) {
    abandon();
    return failure(path_, err);
  }
  tmp_.clear();  // it is the target now
  // The rename itself reaches the disk with the folder.
  const int dir = ::open(folder_of(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

std::string input_file_problem(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return "cannot open " + path;
  if (!S_ISREG(st.st_mode)) return path + " is not a regular file";
  if (st.st_size > max_input_bytes) return path + " is larger than 1 GB";
  return {};
}

}  // namespace recio
