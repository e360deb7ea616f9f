#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr std::chrono::seconds kStartLimit{10};

// Closes a pipe end on every path.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// In the child: only async-signal-safe calls until exec.
[[noreturn]] void RunXvfb(char* const* arguments, int reportFd, pid_t parent) {
  // The server goes with the test program, even when that one is killed.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(126);
  const int flags = fcntl(reportFd, F_GETFD);
  if (flags < 0 || fcntl(reportFd, F_SETFD, flags & ~FD_CLOEXEC) < 0) _exit(126);
  execvp(arguments[0], arguments);
  _exit(127);
}

// The display number that Xvfb writes on its report pipe as "N\n"; empty, with the reason, when
// it does not come in time.
std::string ReadDisplayNumber(int fd, std::string* why) {
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd wait = {fd, POLLIN, 0};
    const int ready = left.count() > 0 ? poll(&wait, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      *why = "Xvfb did not report its display within 10 s";
      return "";
    }
    char c = 0;
    const ssize_t got = read(fd, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      *why = "Xvfb ended before reporting its display";
      return "";
    }
    if (c == '\n' && !number.empty()) return number;
    if (c < '0' || c > '9' || number.size() > 8) {
      *why = "Xvfb reported something other than a display number";
      return "";
    }
    number += c;
  }
}

}  // namespace

XvfbServer::~XvfbServer() { Stop(); }

int XvfbServer::Stop() {
  int status = 0;
  if (pid_ < 0) return status;
  // SIGTERM lets the server remove its lock file and socket.
  kill(pid_, SIGTERM);
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  display_.clear();
  return status;
}

bool XvfbServer::Start(std::string* why, const std::vector<std::string>& extra) {
  Stop();
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    *why = "cannot make a pipe for Xvfb's display number";
    return false;
  }
  Fd readEnd(ends[0]);
  Fd writeEnd(ends[1]);
  std::vector<std::string> words = {"Xvfb",        "-displayfd", std::to_string(writeEnd.get()),
                                    "-screen",     "0",          "1024x768x24",
                                    "-nolisten",   "tcp",        "-noreset"};
  words.insert(words.end(), extra.begin(), extra.end());
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);

  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) {
    *why = "cannot fork to run Xvfb";
    return false;
  }
  if (pid_ == 0) RunXvfb(arguments.data(), writeEnd.get(), parent);
  writeEnd.Close();  // so that the server's exit shows as the end of the pipe

  const std::string number = ReadDisplayNumber(readEnd.get(), why);
  if (number.empty()) {
    const int status = Stop();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
      *why = "cannot run Xvfb (is it installed and on PATH?)";
    }
    return false;
  }
  display_ = ":" + number;
  return true;
}
