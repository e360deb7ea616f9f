// A private Xvfb for one test program. Start() answers false, with the reason, where Xvfb is
// missing or does not come up; the destructor stops and reaps the server.
#ifndef XVFBSERVER_H
#define XVFBSERVER_H

#include <sys/types.h>

#include <string>
#include <vector>

class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Runs `Xvfb -displayfd N -screen 0 1024x768x24 -nolisten tcp -noreset`, followed by `extra`
  // (e.g. {"-extension", "RANDR"} for a server without RandR), and waits at most 10 s for the
  // display number it picks. Without -noreset the server would reset whenever its last client
  // leaves, dropping what the tests set and refusing connections for a moment.
  bool Start(std::string* why, const std::vector<std::string>& extra = {});
  const std::string& Display() const { return display_; }  // ":N" once started

 private:
  int Stop();  // answers the server's wait status

  pid_t pid_ = -1;
  std::string display_;
};

#endif  // XVFBSERVER_H
