// Win32 platform: Active Accessibility server (see msaa.h).
#include "platform/win32/msaa.h"

#include <oleacc.h>

#include <optional>
#include <string>
#include <vector>

#include "forms/accessibility.h"
#include "platform/win32/text.h"

namespace platform::win32 {
namespace {

// Spelled out here: the import library's IID_IAccessible is a thunk under mingw.
constexpr IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr CLSID kClsidAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIidAccPropServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
// UI Automation's LiveSetting, which the system's proxy for Active Accessibility reads from an
// annotation (Windows 8 and later; an earlier system keeps the annotation and ignores it).
constexpr GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kAssertive = 2;
#ifndef EVENT_OBJECT_LIVEREGIONCHANGED
constexpr DWORD EVENT_OBJECT_LIVEREGIONCHANGED = 0x8019;
#endif

// Marks the nodes read out at first show as assertive live regions, for readers that go through
// UI Automation (Narrator): they speak a live region's change only when it says it is one.
void markLiveRegions(HWND hwnd, forms::Form& form) {
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(kClsidAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              kIidAccPropServices, reinterpret_cast<void**>(&services))))
    return;
  auto nodes = forms::accessibleNodes(form);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (!nodes[i].announced) continue;
    VARIANT live;
    VariantInit(&live);
    live.vt = VT_I4;
    live.lVal = kAssertive;
    services->SetHwndProp(hwnd, static_cast<DWORD>(OBJID_CLIENT), static_cast<DWORD>(i + 1),
                          kLiveSettingProperty, live);
  }
  services->Release();
}

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);

LONG roleOf(forms::AccessibleRole role) {
  switch (role) {
    case forms::AccessibleRole::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case forms::AccessibleRole::Graphic:
      return ROLE_SYSTEM_GRAPHIC;
    case forms::AccessibleRole::StaticText:
      return ROLE_SYSTEM_STATICTEXT;
  }
  return ROLE_SYSTEM_STATICTEXT;
}

BSTR bstr(std::u16string_view text) {
  std::wstring w = wide(text);
  return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

}  // namespace

// The client object: CHILDID_SELF is the window's client area, children 1..n the view's nodes
// in reading order, each a simple element.
class AccessibleClient final : public IAccessible {
 public:
  AccessibleClient(forms::Form& form, HWND hwnd, HMODULE oleacc)
      : form_(&form), hwnd_(hwnd), oleacc_(oleacc) {}
  void disconnect() { form_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, kIidAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: no type information; clients call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    auto create = reinterpret_cast<CreateStdAccessibleObjectFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(oleacc_, "CreateStdAccessibleObject")));
    if (!create || !form_) return S_FALSE;
    return create(hwnd_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = form_ ? static_cast<LONG>(forms::accessibleNodes(*form_).size()) : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    return node(child) ? S_FALSE : E_INVALIDARG;  // simple elements have no object of their own
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (isSelf(child)) {
      *name = bstr(form_->caption());
      return S_OK;
    }
    auto n = node(child);
    if (!n) return E_INVALIDARG;
    *name = bstr(n->name);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return nothing(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return nothing(child, description);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    VariantInit(role);
    LONG value = ROLE_SYSTEM_CLIENT;
    if (!isSelf(child)) {
      auto n = node(child);
      if (!n) return E_INVALIDARG;
      value = roleOf(n->role);
    }
    role->vt = VT_I4;
    role->lVal = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    VariantInit(state);
    LONG value = 0;
    if (!isSelf(child)) {
      auto n = node(child);
      if (!n) return E_INVALIDARG;
      if (n->role == forms::AccessibleRole::StaticText) value = STATE_SYSTEM_READONLY;
    }
    state->vt = VT_I4;
    state->lVal = value;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return nothing(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return nothing(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    VariantInit(focus);  // nothing here takes the focus
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (isSelf(child)) return S_FALSE;
    auto n = node(child);
    if (!n) return E_INVALIDARG;
    if (!n->hasDefaultAction) return S_FALSE;
    *action = SysAllocString(L"Press");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    forms::PixelRect r;
    if (isSelf(child)) {
      RECT client;
      GetClientRect(hwnd_, &client);
      POINT origin{0, 0};
      ClientToScreen(hwnd_, &origin);
      r = {origin.x, origin.y, client.right, client.bottom};
    } else {
      auto n = node(child);
      if (!n) return E_INVALIDARG;
      r = n->bounds;
    }
    *left = r.x;
    *top = r.y;
    *width = r.width;
    *height = r.height;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    VariantInit(end);
    if (!form_) return E_FAIL;
    LONG count = static_cast<LONG>(forms::accessibleNodes(*form_).size());
    LONG target = 0;
    if (isSelf(start)) {
      if (direction == NAVDIR_FIRSTCHILD) target = 1;
      if (direction == NAVDIR_LASTCHILD) target = count;
    } else {
      if (!node(start)) return E_INVALIDARG;
      LONG at = start.lVal;
      if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT)
        target = at + 1;
      if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT)
        target = at - 1;
    }
    if (target < 1 || target > count) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = target;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!form_) return E_FAIL;
    POINT p{x, y};
    ScreenToClient(hwnd_, &p);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    // The frontmost node there, in the stacking the mouse follows; the nodes' rectangles are
    // in the form's screen pixels, so the point goes in as client pixels from that origin.
    auto nodes = forms::accessibleNodes(*form_);
    forms::PixelRect origin = form_->screenPixels();
    int found = forms::nodeAt(*form_, nodes, origin.x + p.x, origin.y + p.y);
    child->vt = VT_I4;
    child->lVal = found < 0 ? CHILDID_SELF : found + 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (isSelf(child)) return DISP_E_MEMBERNOTFOUND;
    auto n = node(child);
    if (!n) return E_INVALIDARG;
    if (!n->hasDefaultAction) return DISP_E_MEMBERNOTFOUND;
    // Returns at once: the click is posted to the window's message loop.
    forms::doDefaultAction(*form_, *n);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AccessibleClient() = default;

  [[nodiscard]] bool isSelf(const VARIANT& child) const {
    return form_ && child.vt == VT_I4 && child.lVal == CHILDID_SELF;
  }
  [[nodiscard]] std::optional<forms::AccessibleNode> node(const VARIANT& child) const {
    if (!form_ || child.vt != VT_I4 || child.lVal < 1) return std::nullopt;
    auto nodes = forms::accessibleNodes(*form_);
    if (child.lVal > static_cast<LONG>(nodes.size())) return std::nullopt;
    return nodes[static_cast<std::size_t>(child.lVal - 1)];
  }
  HRESULT nothing(const VARIANT& child, BSTR* out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    return isSelf(child) || node(child) ? S_FALSE : E_INVALIDARG;
  }

  forms::Form* form_;
  HWND hwnd_;
  HMODULE oleacc_;
  ULONG references_ = 1;
};

AccessibilityServer::~AccessibilityServer() {
  if (object_) {
    object_->disconnect();
    object_->Release();
  }
}

bool AccessibilityServer::answers(LPARAM objectId) const {
  return static_cast<LONG>(objectId) == OBJID_CLIENT;
}

LRESULT AccessibilityServer::getObject(HWND hwnd, WPARAM flags) {
  if (!oleacc_) oleacc_ = LoadLibraryW(L"oleacc.dll");  // the first client's question
  auto lresultFromObject = reinterpret_cast<LresultFromObjectFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(oleacc_, "LresultFromObject")));
  if (!lresultFromObject) return 0;
  if (!object_) {
    // Before the first answer, so that the reader finds the marks on the object it is given.
    markLiveRegions(hwnd, form_);
    object_ = new AccessibleClient(form_, hwnd, oleacc_);
  }
  return lresultFromObject(kIidAccessible, flags, object_);
}

void AccessibilityServer::reportNameChanges(HWND hwnd, forms::Form& form) {
  std::vector<const forms::Control*> renamed = form.takeRenamed();
  if (renamed.empty()) return;
  auto nodes = forms::accessibleNodes(form);
  for (const forms::Control* c : renamed) {
    int i = forms::nodeIndexOf(nodes, c);
    if (i >= 0) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd, OBJID_CLIENT, i + 1);
  }
}

void AccessibilityServer::announce(HWND hwnd, forms::Form& form) {
  form.takeRenamed();
  auto nodes = forms::accessibleNodes(form);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    // A live region's change on the node: NVDA speaks the name of whatever object sends one,
    // from a topmost window also when it is not in front (an alert it speaks only from an
    // object of role alert), and Narrator speaks it from an element marked as a live region.
    // Nothing else is sent, so that neither says it twice.
    if (nodes[i].announced)
      NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, hwnd, OBJID_CLIENT, static_cast<LONG>(i + 1));
  }
}

}  // namespace platform::win32
