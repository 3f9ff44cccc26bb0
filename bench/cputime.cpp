// Runs a command and prints its wall-clock and CPU time (user + system of
// the child, from wait4) in seconds with microsecond resolution:
//
//   cputime OUTFILE COMMAND [ARG ...]
//
// The command's standard output and error go to OUTFILE; the times go to
// standard output as "WALL CPU".  The benchmark scripts use it in place of
// /usr/bin/time, whose two-decimal output rounds every small Netlib solve
// to 0.00 or 0.01 s and so hides ratios below 10 ms.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: cputime OUTFILE COMMAND [ARG ...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 2;
  }
  if (pid == 0) {
    const int fd = open(argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) _exit(127);
    dup2(fd, 1);
    dup2(fd, 2);
    close(fd);
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  if (wait4(pid, &status, 0, &ru) < 0) {
    std::perror("wait4");
    return 2;
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
                     1e-6 * static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec);
  std::printf("%.6f %.6f\n", wall, cpu);
  return WIFEXITED(status) && WEXITSTATUS(status) == 127 ? 127 : 0;
}
