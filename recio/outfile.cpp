#include "recio/outfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  if (path.empty()) return {false, "cannot write a file without a name"};
  // The temporary file lives in the target's folder, so that the rename is atomic; mkstemp
  // creates it with O_EXCL, so a file or link planted under a guessed name is never used.
  std::string tmpl = path + ".tmpXXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return failure(path, errno);
  const std::string tmp(name.data());
  int err = 0;
  if (::fchmod(fd, new_file_mode()) != 0) {
    err = errno;
  } else if (write_all(fd, data, err) && ::fsync(fd) != 0) {
    err = errno;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && std::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return failure(path, err);
  }
  // The rename itself reaches the disk with the folder.
  const int dir = ::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
