#include "util/gui/window_stack.h"

#include <QGuiApplication>
#include <QWidget>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>

namespace util {

namespace {

struct FreeDeleter {
  void operator()(void* reply) const { std::free(reply); }
};
using TreeReply = std::unique_ptr<xcb_query_tree_reply_t, FreeDeleter>;

TreeReply QueryTree(xcb_connection_t* connection, xcb_window_t window) {
  return TreeReply(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
}

// The child of the root window that holds `window`: its frame, or the window itself without a
// window manager.
xcb_window_t RootChild(xcb_connection_t* connection, xcb_window_t window) {
  // Frames nest a few levels deep at most.
  for (int depth = 0; depth < 16; ++depth) {
    const TreeReply tree = QueryTree(connection, window);
    if (tree == nullptr) return XCB_WINDOW_NONE;
    if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) return window;
    window = tree->parent;
  }
  return XCB_WINDOW_NONE;
}

}  // namespace

std::vector<QWidget*> InStackingOrder(std::vector<QWidget*> windows) {
  auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr || windows.size() < 2) return windows;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const TreeReply tree = QueryTree(connection, root);
  if (tree == nullptr) return windows;
  // The root's children come from the bottom of the stack to its top.
  std::unordered_map<xcb_window_t, int> level;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  for (int i = 0; i < count; ++i) level.emplace(children[i], i + 1);
  std::unordered_map<const QWidget*, int> rank;
  for (const QWidget* window : windows) {
    int found = 0;
    if (window->testAttribute(Qt::WA_WState_Created)) {
      const auto it = level.find(RootChild(connection, static_cast<xcb_window_t>(window->winId())));
      if (it != level.end()) found = it->second;
    }
    rank.emplace(window, found);
  }
  std::stable_sort(windows.begin(), windows.end(),
                   [&rank](const QWidget* a, const QWidget* b) { return rank.at(a) < rank.at(b); });
  return windows;
}

}  // namespace util
