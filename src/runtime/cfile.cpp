// Compressed file access.  The kind of compression is decided from the name
// alone; compressed files are streamed through the external gzip or bzip2
// program over a pipe, looked up on the PATH first, then in /usr/bin and
// /usr/sbin.  The program is started directly (no shell), so file names
// need no quoting and no shell process is paid for.
#include "runtime/cfile.h"

#include <fcntl.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/alloc.h"

namespace tvl {
namespace {

// The retry name (name plus default extension) fits in this buffer.
constexpr size_t kRetryBuffer = 512;

bool ends_with_nocase(const char *name, size_t len, const char *suffix) {
  size_t n = std::strlen(suffix);
  return len >= n && strcasecmp(name + len - n, suffix) == 0;
}

const char *program_of(Compression kind) { return kind == Compression::Bzip2 ? "bzip2" : "gzip"; }

// Children started for compressed files, by the stream the library reads
// from or writes to, so that closing the stream waits for its program.
std::mutex children_mutex;
std::map<FILE *, pid_t> &children() {
  static std::map<FILE *, pid_t> table;
  return table;
}

// Starts `program` (looked up on the PATH, then in /usr/bin and /usr/sbin)
// with the arguments `args` (null-terminated, args[0] the program) and
// file actions `fa`; returns its pid or -1.
pid_t spawn_program(const char *program, char *const args[], const posix_spawn_file_actions_t *fa) {
  pid_t pid = -1;
  if (posix_spawnp(&pid, program, fa, nullptr, args, environ) == 0) return pid;
  static const char *const kDirs[] = {"/usr/bin/", "/usr/sbin/"};
  for (const char *dir : kDirs) {
    const std::string path = std::string(dir) + program;
    if (posix_spawn(&pid, path.c_str(), fa, nullptr, args, environ) == 0) return pid;
  }
  return -1;
}

// Runs "<program> -cd <filename>" (reading) or "<program> -c > <filename>"
// (writing) without a shell, connected to the returned stream by a pipe.
// File names are passed as they are: blanks or shell characters in them
// need no quoting.
FILE *open_pipe(const char *program, const char *filename, bool reading, bool *nomem) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return nullptr;
  const int child_end = reading ? fds[1] : fds[0], our_end = reading ? fds[0] : fds[1];
  posix_spawn_file_actions_t fa;
  if (posix_spawn_file_actions_init(&fa) != 0) {
    close(fds[0]);
    close(fds[1]);
    *nomem = true;
    return nullptr;
  }
  char option_read[] = "-cd", option_write[] = "-c";
  std::string prog(program), name(filename);
  std::vector<char *> args = {prog.data(), reading ? option_read : option_write};
  if (reading) {
    args.push_back(name.data());
    posix_spawn_file_actions_adddup2(&fa, child_end, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_adddup2(&fa, child_end, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&fa, STDOUT_FILENO, filename, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  args.push_back(nullptr);
  const pid_t pid = spawn_program(program, args.data(), &fa);
  posix_spawn_file_actions_destroy(&fa);
  close(child_end);
  FILE *fp = pid > 0 ? fdopen(our_end, reading ? "r" : "w") : nullptr;
  if (fp == nullptr) {
    close(our_end);
    if (pid > 0) waitpid(pid, nullptr, 0);
    return nullptr;
  }
  const std::lock_guard<std::mutex> lock(children_mutex);
  children()[fp] = pid;
  return fp;
}

// Closes a stream from open_pipe and waits for its program.
void close_pipe(FILE *fp) {
  pid_t pid = -1;
  {
    const std::lock_guard<std::mutex> lock(children_mutex);
    auto it = children().find(fp);
    if (it != children().end()) {
      pid = it->second;
      children().erase(it);
    }
  }
  std::fclose(fp);
  if (pid > 0) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

// True when the file can be opened in this mode (the probe is closed again).
bool probe(const char *filename, const char *mode) {
  FILE *fp = std::fopen(filename, mode);
  if (fp == nullptr) return false;
  std::fclose(fp);
  return true;
}

int fail(const char *name, OpenFailed failed, const void *context) {
  return failed ? failed(context, name) : 1423;
}

FILE *open_decompressing(const char *filename, const char *mode, Compression kind, int *status,
                         OpenFailed failed, const void *context) {
  if (!probe(filename, mode)) {
    *status = fail(filename, failed, context);
    return nullptr;
  }
  bool nomem = false;
  FILE *fp = open_pipe(program_of(kind), filename, true, &nomem);
  // A pipe that cannot be started is returned as nothing without a further
  // message; the status still tells the caller that the open failed.
  if (fp == nullptr) *status = nomem ? 1001 : -1423;
  return fp;
}

void close_by_name(const char *filename, FILE **slot) {
  if (slot == nullptr || *slot == nullptr) return;
  if (filename != nullptr && compression_of(filename) != Compression::None)
    close_pipe(*slot);
  else
    std::fclose(*slot);
  *slot = nullptr;
}

}  // namespace

Compression compression_of(const char *filename) {
  if (filename == nullptr) return Compression::None;
  size_t len = std::strlen(filename);
  if (len > 3 && ends_with_nocase(filename, len, ".bz2")) return Compression::Bzip2;
  if (len > 2 && (ends_with_nocase(filename, len, ".gz") || std::strcmp(filename + len - 2, ".Z") == 0))
    return Compression::Gzip;
  return Compression::None;
}

FILE *cfile_open_read(const char *filename, const char *mode, const char *defext, bool noretry,
                      bool allow_decompress, int *status, OpenFailed failed, const void *context) {
  *status = 0;
  if (filename == nullptr || filename[0] == '\0') {
    *status = 1421;
    return nullptr;
  }
  Compression kind = compression_of(filename);
  if (allow_decompress && kind != Compression::None)
    return open_decompressing(filename, mode, kind, status, failed, context);

  FILE *fp = std::fopen(filename, mode);
  if (fp != nullptr) return fp;

  char retry[kRetryBuffer];
  bool retried = false;
  size_t len = std::strlen(filename);
  if (!noretry && defext != nullptr && defext[0] != '\0' && !ends_with_nocase(filename, len, defext)) {
    size_t extlen = std::strlen(defext);
    size_t keep = len;
    if (keep + extlen > kRetryBuffer - 1) keep = extlen < kRetryBuffer - 1 ? kRetryBuffer - 1 - extlen : 0;
    std::memcpy(retry, filename, keep);
    std::snprintf(retry + keep, kRetryBuffer - keep, "%s", defext);
    retried = true;
    fp = std::fopen(retry, mode);
    if (fp != nullptr) return fp;
  }
  *status = fail(filename, failed, context);
  if (retried) fail(retry, failed, context);
  return nullptr;
}

void cfile_close_read(const char *filename, FILE **slot) { close_by_name(filename, slot); }

FILE *cfile_open_write(const char *filename, const char *mode, bool allow_compress) {
  if (filename == nullptr || filename[0] == '\0') return nullptr;
  Compression kind = compression_of(filename);
  if (!allow_compress || kind == Compression::None) return std::fopen(filename, mode);
  // Creating the file first truncates it and proves it can be written
  // before any program is started.
  if (!probe(filename, "wb")) return nullptr;
  bool nomem = false;
  return open_pipe(program_of(kind), filename, false, &nomem);
}

void cfile_close_write(const char *filename, FILE **slot) { close_by_name(filename, slot); }

}  // namespace tvl
