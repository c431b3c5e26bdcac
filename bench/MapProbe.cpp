// Times how long a program takes to put its first top-level window on the X display:
// from just before the fork to the MapNotify the X server reports on the root
// window. It needs no cooperation from the program, so the real program and the
// bare window are timed by one method. Usage: map_probe COMMAND [ARG...]
// Prints the microseconds on stdout, then stops the program (SIGTERM, and SIGKILL if
// it lingers). Exit code 2 when the program ended, or showed no window within 20 s.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

// Waits for the child to end for up to ms milliseconds; true when it ended.
bool Reap(pid_t child, int ms) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (waitpid(child, nullptr, WNOHANG) == child) return true;
    usleep(10000);
  }
  return false;
}

void Stop(pid_t child) {
  kill(child, SIGTERM);
  if (!Reap(child, 5000)) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: map_probe COMMAND [ARG...]\n");
    return 64;
  }
  // A server that has just announced its display may not take connections yet.
  xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
  for (int tries = 0; xcb_connection_has_error(conn) && tries < 50; ++tries) {
    xcb_disconnect(conn);
    usleep(100000);
    conn = xcb_connect(nullptr, nullptr);
  }
  if (xcb_connection_has_error(conn)) {
    std::fprintf(stderr, "map_probe: cannot open the X display\n");
    return 64;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
  // Every top-level window is a child of the root when no window manager runs, so
  // its mapping reaches us as SubstructureNotify on the root.
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_void_cookie_t cookie =
      xcb_change_window_attributes_checked(conn, screen->root, XCB_CW_EVENT_MASK, &mask);
  if (xcb_generic_error_t* error = xcb_request_check(conn, cookie)) {
    std::fprintf(stderr, "map_probe: cannot watch the root window (error %d)\n", error->error_code);
    return 64;
  }

  const Clock::time_point start = Clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    return 64;
  }
  if (child == 0) {
    execvp(argv[1], argv + 1);
    std::perror("exec");
    _exit(127);
  }

  // Takes the events received so far; true once a top-level window was mapped.
  auto drainForMap = [&] {
    bool mapped = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(conn)) {
      mapped = mapped || ((event->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                          reinterpret_cast<xcb_map_notify_event_t*>(event)->event == screen->root);
      free(event);
    }
    return mapped;
  };
  auto report = [&] {
    const auto us =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
    std::printf("%lld\n", static_cast<long long>(us));
    std::fflush(stdout);
  };

  const Clock::time_point deadline = start + std::chrono::seconds(20);
  pollfd fd{xcb_get_file_descriptor(conn), POLLIN, 0};
  while (Clock::now() < deadline && !xcb_connection_has_error(conn)) {
    if (drainForMap()) {
      report();
      Stop(child);
      xcb_disconnect(conn);
      return 0;
    }
    if (waitpid(child, nullptr, WNOHANG) == child) {
      // A program that leaves right after showing its window may have gone before its
      // map event was read: a round trip brings in every event sent until now.
      free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
      const bool mapped = drainForMap();
      if (mapped)
        report();
      else
        std::fprintf(stderr, "map_probe: %s ended without mapping a window\n", argv[1]);
      xcb_disconnect(conn);
      return mapped ? 0 : 2;
    }
    poll(&fd, 1, 50);
  }
  std::fprintf(stderr, "map_probe: no window was mapped\n");
  Stop(child);
  xcb_disconnect(conn);
  return 2;
}
