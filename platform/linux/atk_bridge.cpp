// Linux desktop: implements atk_bridge.h.
#include "platform/linux/atk_bridge.h"

#include <atk/atk.h>
#include <dlfcn.h>
#include <glib-object.h>

#include <string>

#include "forms/accessibility.h"

namespace platform::desktop {
namespace {

// The ATK and bridge entry points, looked up in the libraries loaded for them: nothing of ATK
// is linked, so a start without assistive technology maps none of it.
struct AtkLibrary {
  void* atk = nullptr;
  void* bridge = nullptr;
  GType (*objectType)() = nullptr;
  GType (*componentType)() = nullptr;
  GType (*actionType)() = nullptr;
  GType (*utilType)() = nullptr;
  void (*setName)(AtkObject*, const gchar*) = nullptr;
  void (*setDescription)(AtkObject*, const gchar*) = nullptr;
  void (*setRole)(AtkObject*, AtkRole) = nullptr;
  void (*setParent)(AtkObject*, AtkObject*) = nullptr;
  gboolean (*addState)(AtkStateSet*, AtkStateType) = nullptr;
  void (*notifyStateChange)(AtkObject*, AtkState, gboolean) = nullptr;
  int (*bridgeInit)(int*, char***) = nullptr;

  template <class F>
  bool find(void* library, F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(library, name));
    return f != nullptr;
  }
  bool load() {
    atk = dlopen("libatk-1.0.so.0", RTLD_LAZY | RTLD_LOCAL);
    if (!atk) return false;
    bridge = dlopen("libatk-bridge-2.0.so.0", RTLD_LAZY | RTLD_LOCAL);
    return bridge && find(atk, objectType, "atk_object_get_type") &&
           find(atk, componentType, "atk_component_get_type") &&
           find(atk, actionType, "atk_action_get_type") &&
           find(atk, utilType, "atk_util_get_type") && find(atk, setName, "atk_object_set_name") &&
           find(atk, setDescription, "atk_object_set_description") &&
           find(atk, setRole, "atk_object_set_role") &&
           find(atk, setParent, "atk_object_set_parent") &&
           find(atk, addState, "atk_state_set_add_state") &&
           find(atk, notifyStateChange, "atk_object_notify_state_change") &&
           find(bridge, bridgeInit, "atk_bridge_adaptor_init");
  }
};

// GLib and GObject, from the libraries that ATK brought in: the program links neither, so a start
// without assistive technology maps none of them.
struct GLibLibrary {
  void* glib = nullptr;
  void* gobject = nullptr;
  void (*objectUnref)(gpointer) = nullptr;
  gpointer (*objectRef)(gpointer) = nullptr;
  gpointer (*objectNew)(GType, const gchar*, ...) = nullptr;
  GType (*typeRegisterStaticSimple)(GType, const gchar*, guint, GClassInitFunc, guint,
                                    GInstanceInitFunc, GTypeFlags) = nullptr;
  void (*typeAddInterfaceStatic)(GType, GType, const GInterfaceInfo*) = nullptr;
  gpointer (*typeClassRef)(GType) = nullptr;
  gpointer (*typeClassPeek)(GType) = nullptr;
  guint (*idleAdd)(GSourceFunc, gpointer) = nullptr;
  GMainContext* (*mainContextDefault)() = nullptr;
  gboolean (*mainContextAcquire)(GMainContext*) = nullptr;
  void (*mainContextRelease)(GMainContext*) = nullptr;
  gboolean (*mainContextPrepare)(GMainContext*, gint*) = nullptr;
  gint (*mainContextQuery)(GMainContext*, gint, gint*, GPollFD*, gint) = nullptr;
  gboolean (*mainContextCheck)(GMainContext*, gint, GPollFD*, gint) = nullptr;
  void (*mainContextDispatch)(GMainContext*) = nullptr;
  gboolean (*mainContextPending)(GMainContext*) = nullptr;

  template <class F>
  static bool find(void* library, F& f, const char* name) {
    f = reinterpret_cast<F>(dlsym(library, name));
    return f != nullptr;
  }
  bool load() {
    glib = dlopen("libglib-2.0.so.0", RTLD_LAZY | RTLD_LOCAL);
    gobject = dlopen("libgobject-2.0.so.0", RTLD_LAZY | RTLD_LOCAL);
    return glib && gobject && find(gobject, objectUnref, "g_object_unref") &&
           find(gobject, objectRef, "g_object_ref") && find(gobject, objectNew, "g_object_new") &&
           find(gobject, typeRegisterStaticSimple, "g_type_register_static_simple") &&
           find(gobject, typeAddInterfaceStatic, "g_type_add_interface_static") &&
           find(gobject, typeClassRef, "g_type_class_ref") &&
           find(gobject, typeClassPeek, "g_type_class_peek") && find(glib, idleAdd, "g_idle_add") &&
           find(glib, mainContextDefault, "g_main_context_default") &&
           find(glib, mainContextAcquire, "g_main_context_acquire") &&
           find(glib, mainContextRelease, "g_main_context_release") &&
           find(glib, mainContextPrepare, "g_main_context_prepare") &&
           find(glib, mainContextQuery, "g_main_context_query") &&
           find(glib, mainContextCheck, "g_main_context_check") &&
           find(glib, mainContextDispatch, "g_main_context_dispatch") &&
           find(glib, mainContextPending, "g_main_context_pending");
  }
};

AtkLibrary lib;
GLibLibrary glib;
AccessibilityBridge::Objects* objects = nullptr;  // ATK's callbacks find the form through it
guint (*bridgeAddsListener)(GSignalEmissionHook, const gchar*) = nullptr;

enum class Kind { Application, Window, Node, Notification };

// One object of ours: the application, the window, a node of the view (by its control, so that
// a new view of the form finds it again), or the notification of a node read out at first show.
// A notification is what screen readers speak from a window that never takes the focus (Orca
// speaks one that becomes showing, and has since long before it heard announcements); it is
// the node's own, lies where the node lies, and is no child of anything, so that exploring the
// window still finds each node once and mouse review finds the node itself.
struct LomaAccessible {
  AtkObject parent;
  Kind kind;
  const forms::Control* control;
};
struct LomaAccessibleClass {
  AtkObjectClass parent;
};

GType nodeType();
GType buttonType();

std::string utf8(const std::u16string& text) {
  return forms::toUtf8(text);
}

}  // namespace

struct AccessibilityBridge::Objects {
  forms::Form* form = nullptr;
  int originX = 0, originY = 0;
  AtkObject* application = nullptr;
  AtkObject* window = nullptr;
  std::vector<AtkObject*> nodes;  // in the view's reading order
  std::vector<AtkObject*> notifications;
  bool notified = false;  // the notifications have shown
  GMainContext* context = nullptr;
  gint priority = 0;
  std::vector<GPollFD> polled;
  bool announcing = false;  // the announcement waits for the bridge's listeners
  bool listening = false;
  void announceNow();

  [[nodiscard]] std::vector<forms::AccessibleNode> view() const {
    return forms::accessibleNodes(*form);
  }
  [[nodiscard]] forms::PixelRect windowBounds() const {
    forms::PixelRect r = form->screenPixels();
    return {r.x + originX, r.y + originY, r.width, r.height};
  }
  // The node's rectangle on the screen, or an empty one when it is out of view now.
  [[nodiscard]] forms::PixelRect bounds(const LomaAccessible& object) const {
    if (object.kind == Kind::Application || object.kind == Kind::Window) return windowBounds();
    auto current = view();
    int i = forms::nodeIndexOf(current, object.control);
    if (i < 0) return {};
    forms::PixelRect r = current[static_cast<std::size_t>(i)].bounds;
    return {r.x + originX, r.y + originY, r.width, r.height};
  }
  // The node frontmost at a point on the screen, as the mouse would find it, or -1.
  [[nodiscard]] int nodeAt(const std::vector<forms::AccessibleNode>& current, int x, int y) const {
    return forms::nodeAt(*form, current, x - originX, y - originY);
  }
};

namespace {

LomaAccessible* self(gpointer p) {
  return static_cast<LomaAccessible*>(p);
}

AtkObjectClass* atkObjectClass() {
  return static_cast<AtkObjectClass*>(glib.typeClassPeek(lib.objectType()));
}

gint nChildren(AtkObject* accessible) {
  if (!objects) return 0;
  switch (self(accessible)->kind) {
    case Kind::Application:
      return 1;
    case Kind::Window:
      return static_cast<gint>(objects->nodes.size());
    case Kind::Node:
    case Kind::Notification:
      return 0;
  }
  return 0;
}

AtkObject* refChild(AtkObject* accessible, gint i) {
  if (!objects || i < 0 || i >= nChildren(accessible)) return nullptr;
  AtkObject* child = self(accessible)->kind == Kind::Application
                         ? objects->window
                         : objects->nodes[static_cast<std::size_t>(i)];
  return static_cast<AtkObject*>(glib.objectRef(child));
}

gint indexInParent(AtkObject* accessible) {
  if (!objects) return -1;
  switch (self(accessible)->kind) {
    case Kind::Application:
      return -1;
    case Kind::Window:
      return 0;
    case Kind::Node:
      for (std::size_t i = 0; i < objects->nodes.size(); ++i) {
        if (objects->nodes[i] == accessible) return static_cast<gint>(i);
      }
      return -1;
    case Kind::Notification:
      return -1;
  }
  return -1;
}

AtkStateSet* refStateSet(AtkObject* accessible) {
  AtkStateSet* states = atkObjectClass()->ref_state_set(accessible);
  Kind kind = self(accessible)->kind;
  if (kind == Kind::Window || kind == Kind::Node ||
      (kind == Kind::Notification && objects && objects->notified)) {
    for (AtkStateType s :
         {ATK_STATE_VISIBLE, ATK_STATE_SHOWING, ATK_STATE_ENABLED, ATK_STATE_SENSITIVE}) {
      lib.addState(states, s);
    }
  }
  return states;
}

void getExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                AtkCoordType coords) {
  forms::PixelRect r = objects ? objects->bounds(*self(component)) : forms::PixelRect{};
  if (objects && coords != ATK_XY_SCREEN && self(component)->kind != Kind::Application &&
      self(component)->kind != Kind::Window) {
    forms::PixelRect w = objects->windowBounds();  // the window is the parent too
    r.x -= w.x;
    r.y -= w.y;
  }
  if (x) *x = r.x;
  if (y) *y = r.y;
  if (width) *width = r.width;
  if (height) *height = r.height;
}

AtkLayer layer(AtkComponent* component) {
  return self(component)->kind == Kind::Window ? ATK_LAYER_WINDOW : ATK_LAYER_WIDGET;
}

// A point in the window's or the screen's coordinates, on the screen.
void toScreen(gint& x, gint& y, AtkCoordType coords) {
  if (coords == ATK_XY_SCREEN || !objects) return;
  forms::PixelRect w = objects->windowBounds();  // every node's parent is the window
  x += w.x;
  y += w.y;
}

// What lies at a point follows the stacking, as the mouse does: a node holds a point only where
// it is the frontmost one there. So a reader that asks each child in turn whether it holds the
// point (Orca's mouse review does) finds the same node as one that asks the window for the
// child at the point.
gboolean contains(AtkComponent* component, gint x, gint y, AtkCoordType coords) {
  if (!objects) return FALSE;
  toScreen(x, y, coords);
  const LomaAccessible& object = *self(component);
  if (object.kind == Kind::Application || object.kind == Kind::Window)
    return objects->windowBounds().contains(x, y);
  auto current = objects->view();
  int i = objects->nodeAt(current, x, y);
  return i >= 0 && current[static_cast<std::size_t>(i)].control == object.control;
}

AtkObject* refAccessibleAtPoint(AtkComponent* component, gint x, gint y, AtkCoordType coords) {
  if (!objects || self(component)->kind != Kind::Window) return nullptr;
  toScreen(x, y, coords);
  auto current = objects->view();
  int i = objects->nodeAt(current, x, y);
  if (i < 0) return nullptr;
  for (AtkObject* node : objects->nodes) {
    if (self(node)->control == current[static_cast<std::size_t>(i)].control)
      return static_cast<AtkObject*>(glib.objectRef(node));
  }
  return nullptr;
}

void componentInit(gpointer iface, gpointer) {
  auto* c = static_cast<AtkComponentIface*>(iface);
  c->contains = contains;
  c->ref_accessible_at_point = refAccessibleAtPoint;
  c->get_extents = getExtents;
  c->get_layer = layer;
}

gboolean doAction(AtkAction* action, gint i) {
  if (!objects || i != 0) return FALSE;
  auto nodes = objects->view();
  int n = forms::nodeIndexOf(nodes, self(action)->control);
  if (n < 0) return FALSE;
  // Returns at once; the click runs from the event loop once it is idle, after the reply.
  forms::doDefaultAction(*objects->form, nodes[static_cast<std::size_t>(n)]);
  return TRUE;
}

gint nActions(AtkAction*) {
  return 1;
}

const gchar* actionName(AtkAction*, gint i) {
  return i == 0 ? "click" : nullptr;
}

const gchar* actionDescription(AtkAction*, gint) {
  return "";
}

void actionInit(gpointer iface, gpointer) {
  auto* a = static_cast<AtkActionIface*>(iface);
  a->do_action = doAction;
  a->get_n_actions = nActions;
  a->get_name = actionName;
  a->get_localized_name = actionName;
  a->get_description = actionDescription;
}

void classInit(gpointer klass, gpointer) {
  auto* c = static_cast<AtkObjectClass*>(klass);
  c->get_n_children = nChildren;
  c->ref_child = refChild;
  c->get_index_in_parent = indexInParent;
  c->ref_state_set = refStateSet;
}

GType nodeType() {
  static GType type = 0;
  if (!type) {
    type = glib.typeRegisterStaticSimple(
        lib.objectType(), "LomaAccessible", sizeof(LomaAccessibleClass), classInit,
        sizeof(LomaAccessible), nullptr, static_cast<GTypeFlags>(0));
    GInterfaceInfo component{componentInit, nullptr, nullptr};
    glib.typeAddInterfaceStatic(type, lib.componentType(), &component);
  }
  return type;
}

GType buttonType() {
  static GType type = 0;
  if (!type) {
    type = glib.typeRegisterStaticSimple(
        nodeType(), "LomaAccessibleButton", sizeof(LomaAccessibleClass), nullptr,
        sizeof(LomaAccessible), nullptr, static_cast<GTypeFlags>(0));
    GInterfaceInfo action{actionInit, nullptr, nullptr};
    glib.typeAddInterfaceStatic(type, lib.actionType(), &action);
  }
  return type;
}

AtkObject* make(GType type, Kind kind, const forms::Control* control, AtkRole role,
                const std::string& name, AtkObject* parent) {
  auto* object = static_cast<AtkObject*>(glib.objectNew(type, nullptr));
  self(object)->kind = kind;
  self(object)->control = control;
  lib.setRole(object, role);
  lib.setName(object, name.c_str());
  if (parent) lib.setParent(object, parent);
  return object;
}

AtkObject* root() {
  return objects ? objects->application : nullptr;
}
const gchar* toolkitName() {
  return "LOMA forms";
}
const gchar* toolkitVersion() {
  return "1.0";
}

// The bridge connects its listeners once the registry has told it that someone listens; an
// event before that reaches nobody. So the announcement waits for the first of them.
guint addListener(GSignalEmissionHook hook, const gchar* type) {
  guint id = bridgeAddsListener ? bridgeAddsListener(hook, type) : 0;
  if (objects && !objects->listening) {
    objects->listening = true;
    // After the bridge's whole set of listeners is in place.
    glib.idleAdd(
        [](gpointer) -> gboolean {
          if (objects) objects->announceNow();
          return G_SOURCE_REMOVE;
        },
        nullptr);
  }
  return id;
}

AtkRole roleOf(forms::AccessibleRole role) {
  switch (role) {
    case forms::AccessibleRole::PushButton:
      return ATK_ROLE_PUSH_BUTTON;
    case forms::AccessibleRole::Graphic:
      return ATK_ROLE_IMAGE;
    case forms::AccessibleRole::StaticText:
      return ATK_ROLE_LABEL;
  }
  return ATK_ROLE_LABEL;
}

}  // namespace

std::unique_ptr<AccessibilityBridge> AccessibilityBridge::start(forms::Form& form, int originX,
                                                                int originY) {
  if (objects || !lib.load() || !glib.load()) return nullptr;
  return std::unique_ptr<AccessibilityBridge>(new AccessibilityBridge(form, originX, originY));
}

AccessibilityBridge::AccessibilityBridge(forms::Form& form, int originX, int originY)
    : objects_(std::make_unique<Objects>()) {
  Objects& o = *objects_;
  o.form = &form;
  o.originX = originX;
  o.originY = originY;
  objects = &o;

  o.application =
      make(nodeType(), Kind::Application, nullptr, ATK_ROLE_APPLICATION, "loma", nullptr);
  o.window =
      make(nodeType(), Kind::Window, nullptr, ATK_ROLE_WINDOW, utf8(form.caption()), o.application);
  for (const auto& node : o.view()) {
    GType type = node.hasDefaultAction ? buttonType() : nodeType();
    AtkObject* object =
        make(type, Kind::Node, node.control, roleOf(node.role), utf8(node.name), o.window);
    if (node.role == forms::AccessibleRole::Graphic)
      lib.setDescription(object, utf8(node.name).c_str());
    o.nodes.push_back(object);
    // Named only as it shows: the name it takes then is the text it brings.
    if (node.announced)
      o.notifications.push_back(
          make(nodeType(), Kind::Notification, node.control, ATK_ROLE_NOTIFICATION, "", object));
  }
  form.takeRenamed();  // the names above are the current ones

  auto* util = static_cast<AtkUtilClass*>(glib.typeClassRef(lib.utilType()));
  util->get_root = root;
  util->get_toolkit_name = toolkitName;
  util->get_toolkit_version = toolkitVersion;
  bridgeAddsListener = util->add_global_event_listener;
  util->add_global_event_listener = addListener;

  o.context = glib.mainContextDefault();
  glib.mainContextAcquire(o.context);
  lib.bridgeInit(nullptr, nullptr);
}

AccessibilityBridge::~AccessibilityBridge() {
  objects = nullptr;
  for (AtkObject* notification : objects_->notifications) glib.objectUnref(notification);
  for (AtkObject* node : objects_->nodes) glib.objectUnref(node);
  glib.objectUnref(objects_->window);
  glib.objectUnref(objects_->application);
  glib.mainContextRelease(objects_->context);
}

int AccessibilityBridge::prepare(std::vector<pollfd>& fds) {
  Objects& o = *objects_;
  glib.mainContextPrepare(o.context, &o.priority);
  gint timeout = -1;
  o.polled.resize(8);
  for (;;) {
    gint n = glib.mainContextQuery(o.context, o.priority, &timeout, o.polled.data(),
                                   static_cast<gint>(o.polled.size()));
    if (n <= static_cast<gint>(o.polled.size())) {
      o.polled.resize(static_cast<std::size_t>(n));
      break;
    }
    o.polled.resize(static_cast<std::size_t>(n));
  }
  for (const GPollFD& p : o.polled) fds.push_back({p.fd, static_cast<short>(p.events), 0});
  return timeout;
}

void AccessibilityBridge::dispatch(const std::vector<pollfd>& fds) {
  Objects& o = *objects_;
  // Ours are the last descriptors of the list.
  std::size_t first = fds.size() - o.polled.size();
  for (std::size_t i = 0; i < o.polled.size(); ++i)
    o.polled[i].revents = static_cast<gushort>(fds[first + i].revents);
  if (glib.mainContextCheck(o.context, o.priority, o.polled.data(),
                            static_cast<gint>(o.polled.size())))
    glib.mainContextDispatch(o.context);
}

void AccessibilityBridge::announce() {
  objects_->announcing = true;
  if (objects_->listening) objects_->announceNow();
}

void AccessibilityBridge::Objects::announceNow() {
  if (!announcing) return;
  announcing = false;
  // Only the notification: a reader that also hears announcements would say an announcement
  // of the same text a second time.
  auto current = view();
  notified = true;
  for (AtkObject* notification : notifications) {
    int i = forms::nodeIndexOf(current, self(notification)->control);
    if (i < 0) continue;
    lib.setName(notification, utf8(current[static_cast<std::size_t>(i)].name).c_str());
    lib.notifyStateChange(notification, ATK_STATE_SHOWING, TRUE);
  }
}

bool AccessibilityBridge::idle() {
  // Not while GLib has work ready, such as writing a reply that the socket did not take at once.
  return !glib.mainContextPending(objects_->context);
}

void AccessibilityBridge::reportNameChanges() {
  Objects& o = *objects_;
  std::vector<const forms::Control*> renamed = o.form->takeRenamed();
  if (renamed.empty()) return;
  auto nodes = o.view();
  for (AtkObject* object : o.nodes) {
    for (const forms::Control* c : renamed) {
      if (self(object)->control != c) continue;
      int i = forms::nodeIndexOf(nodes, c);
      if (i >= 0) lib.setName(object, utf8(nodes[static_cast<std::size_t>(i)].name).c_str());
    }
  }
}

}  // namespace platform::desktop
