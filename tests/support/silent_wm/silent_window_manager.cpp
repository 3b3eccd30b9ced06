// A window manager that never answers: it takes the display's window management (so that it maps
// and configures every window as asked, and names itself on the root window as a manager does),
// but frames nothing and ignores every request for frame extents, as several minimal managers do.
// With --answer-extents=L,R,T,B it answers each such request, after it came, by setting those
// extents on the window, still framing nothing: a manager whose answer comes only once asked.
// It writes "ready" on its standard output once it manages the display and, on SIGTERM or SIGINT,
// takes its names off the root window before it ends.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace {

struct FreeDeleter {
  void operator()(void* pointer) const { std::free(pointer); }
};

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
  const std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  return reply != nullptr ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// "L,R,T,B" as the four values of _NET_FRAME_EXTENTS.
std::optional<std::array<std::uint32_t, 4>> ParseExtents(std::string_view text) {
  std::array<std::uint32_t, 4> values{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), values[i]);
    if (error != std::errc()) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (i + 1 < values.size()) {
      if (text.empty() || text.front() != ',') return std::nullopt;
      text.remove_prefix(1);
    }
  }
  if (!text.empty()) return std::nullopt;
  return values;
}

// The configure request passed on as asked: the values come in the order of their mask bits.
void Configure(xcb_connection_t* connection, const xcb_configure_request_event_t& request) {
  std::array<std::uint32_t, 7> values{};
  std::size_t count = 0;
  const std::uint16_t mask = request.value_mask;
  if (mask & XCB_CONFIG_WINDOW_X) values[count++] = static_cast<std::uint32_t>(request.x);
  if (mask & XCB_CONFIG_WINDOW_Y) values[count++] = static_cast<std::uint32_t>(request.y);
  if (mask & XCB_CONFIG_WINDOW_WIDTH) values[count++] = request.width;
  if (mask & XCB_CONFIG_WINDOW_HEIGHT) values[count++] = request.height;
  if (mask & XCB_CONFIG_WINDOW_BORDER_WIDTH) values[count++] = request.border_width;
  if (mask & XCB_CONFIG_WINDOW_SIBLING) values[count++] = request.sibling;
  if (mask & XCB_CONFIG_WINDOW_STACK_MODE) values[count++] = request.stack_mode;
  xcb_configure_window(connection, request.window, mask, values.data());
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<std::array<std::uint32_t, 4>> answer;
  constexpr std::string_view kAnswer = "--answer-extents=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.substr(0, kAnswer.size()) == kAnswer) answer = ParseExtents(argument.substr(kAnswer.size()));
    if (!answer.has_value()) {
      std::fprintf(stderr, "usage: %s [--answer-extents=L,R,T,B]\n", argv[0]);
      return 2;
    }
  }

  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGINT);
  sigprocmask(SIG_BLOCK, &stops, nullptr);
  const int signals = signalfd(-1, &stops, SFD_CLOEXEC);

  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    std::fprintf(stderr, "silent window manager: no X display\n");
    return 1;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  const xcb_window_t root = screen->root;

  // Only one client may redirect the root's children: that one is the window manager.
  const std::uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  const std::unique_ptr<xcb_generic_error_t, FreeDeleter> taken(
      xcb_request_check(connection, xcb_change_window_attributes_checked(connection, root, XCB_CW_EVENT_MASK, &rootMask)));
  if (taken != nullptr) {
    std::fprintf(stderr, "silent window manager: another window manager runs\n");
    return 1;
  }

  const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
  const xcb_atom_t supported = Atom(connection, "_NET_SUPPORTED");
  const xcb_atom_t name = Atom(connection, "_NET_WM_NAME");
  const xcb_atom_t utf8 = Atom(connection, "UTF8_STRING");
  const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
  const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
  const xcb_window_t checkWindow = xcb_generate_id(connection);
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, checkWindow, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  constexpr std::string_view kName = "quorx-silent-wm";
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, checkWindow, name, utf8, 8,
                      static_cast<std::uint32_t>(kName.size()), kName.data());
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, checkWindow, check, XCB_ATOM_WINDOW, 32, 1, &checkWindow);
  // It supports nothing beyond naming itself: no frame extents.
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, supported, XCB_ATOM_ATOM, 32, 1, &check);
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, check, XCB_ATOM_WINDOW, 32, 1, &checkWindow);
  xcb_flush(connection);
  std::printf("ready\n");
  std::fflush(stdout);

  std::array<pollfd, 2> waits{{{xcb_get_file_descriptor(connection), POLLIN, 0}, {signals, POLLIN, 0}}};
  for (;;) {
    while (const std::unique_ptr<xcb_generic_event_t, FreeDeleter> event{xcb_poll_for_event(connection)}) {
      switch (event->response_type & 0x7f) {
        case XCB_MAP_REQUEST:
          xcb_map_window(connection, reinterpret_cast<const xcb_map_request_event_t*>(event.get())->window);
          break;
        case XCB_CONFIGURE_REQUEST:
          Configure(connection, *reinterpret_cast<const xcb_configure_request_event_t*>(event.get()));
          break;
        case XCB_CIRCULATE_REQUEST: {
          const auto* circulate = reinterpret_cast<const xcb_circulate_request_event_t*>(event.get());
          xcb_circulate_window(connection, circulate->place, circulate->window);
          break;
        }
        case XCB_CLIENT_MESSAGE: {
          const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event.get());
          if (message->type == request && answer.has_value()) {
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, message->window, extents, XCB_ATOM_CARDINAL, 32, 4,
                                answer->data());
          }
          break;
        }
        default:
          break;
      }
    }
    xcb_flush(connection);
    if (xcb_connection_has_error(connection) != 0) return 1;
    if (poll(waits.data(), waits.size(), -1) < 0) continue;
    if ((waits[1].revents & POLLIN) != 0) break;
  }
  // A manager that has gone leaves no name of itself on the root window.
  xcb_delete_property(connection, root, check);
  xcb_delete_property(connection, root, supported);
  xcb_destroy_window(connection, checkWindow);
  // Done before the connection goes: a connection closed with data unread may lose what it sent.
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  xcb_disconnect(connection);
  return 0;
}
