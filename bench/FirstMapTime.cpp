// Times a GUI program's start: from just before it is started to the moment the X server maps
// its first top-level window. Meant for a display where nothing else runs (an Xvfb without a
// window manager, where top-level windows are the root window's children). The program is then
// ended with SIGTERM.
//
//   zarn_first_map_time [--timeout-ms N] PROGRAM [ARGS...]
//
// Prints on one line the milliseconds, the window's width and height in pixels, and the
// processor time in milliseconds the program had used by then ("41.27 464 338 30.12"); exit 1 when
// the program ends or the timeout passes before a window is mapped, 2 on bad use.
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The processor time the program's threads have used so far, in milliseconds (from the
// scheduler's statistics, so other work on the machine does not count); -1 when unknown.
double ChildCpuMilliseconds(pid_t child) {
  const std::string tasks = "/proc/" + std::to_string(child) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (!dir) return -1;
  double total = 0;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
    unsigned long long onCpuNs = 0;
    if (stat >> onCpuNs) total += static_cast<double>(onCpuNs) / 1e6;
  }
  closedir(dir);
  return total;
}

// SIGTERM ends a Qt program at once; anything that outlives it for two seconds gets SIGKILL.
void EndChild(pid_t child) {
  kill(child, SIGTERM);
  for (int i = 0; i < 200; ++i) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return;
    usleep(10000);
  }
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
}

}  // namespace

int main(int argc, char* argv[]) {
  int first = 1;
  long timeoutMs = 20000;
  if (argc > 2 && std::strcmp(argv[1], "--timeout-ms") == 0) {
    timeoutMs = std::strtol(argv[2], nullptr, 10);
    first = 3;
  }
  if (first >= argc || timeoutMs <= 0) {
    std::fprintf(stderr, "usage: %s [--timeout-ms N] PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }

  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "cannot open display\n");
    return 2;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_void_cookie_t cookie =
      xcb_change_window_attributes_checked(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
  if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
    std::free(error);
    std::fprintf(stderr, "cannot watch the root window\n");
    return 2;
  }

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child < 0) return 2;
  if (child == 0) {
    execvp(argv[first], argv + first);
    std::perror(argv[first]);
    _exit(127);
  }

  const int fd = xcb_get_file_descriptor(connection);
  for (;;) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
      const xcb_window_t window =
          mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
      std::free(event);
      if (mapped) {
        const double ms = MillisecondsSince(start);
        const double cpu = ChildCpuMilliseconds(child);
        int width = 0, height = 0;
        if (xcb_get_geometry_reply_t* g =
                xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr)) {
          width = g->width;
          height = g->height;
          std::free(g);
        }
        std::printf("%.2f %d %d %.2f\n", ms, width, height, cpu);
        EndChild(child);
        xcb_disconnect(connection);
        return 0;
      }
    }
    if (xcb_connection_has_error(connection)) break;
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      std::fprintf(stderr, "%s ended before it mapped a window\n", argv[first]);
      xcb_disconnect(connection);
      return 1;
    }
    if (MillisecondsSince(start) > static_cast<double>(timeoutMs)) {
      std::fprintf(stderr, "no window mapped within %ld ms\n", timeoutMs);
      break;
    }
    pollfd waiting{fd, POLLIN, 0};
    poll(&waiting, 1, 10);
  }
  EndChild(child);
  xcb_disconnect(connection);
  return 1;
}
