// Win32 platform: the form for screen readers, as a Microsoft Active Accessibility server.
//
// Implements: IAccessible over the form's accessibility view (the client object "LOMA" with
// one simple element per node: static text, graphics, push buttons whose default action
// "Press" is the click), the answer to WM_GETOBJECT for the client, name changes as
// EVENT_OBJECT_NAMECHANGE, and the live region's change that reads the status when the window
// first shows (the status marked assertive live region for UI Automation's readers). Nothing
// exists and oleacc is not loaded until a client first asks with WM_GETOBJECT.
#pragma once

#include "platform/win32/win32_api.h"

namespace platform::win32 {

class AccessibleClient;

class AccessibilityServer {
 public:
  explicit AccessibilityServer(forms::Form& form) : form_(form) {}
  ~AccessibilityServer();
  AccessibilityServer(const AccessibilityServer&) = delete;
  AccessibilityServer& operator=(const AccessibilityServer&) = delete;

  // WM_GETOBJECT: our object for the client area; other objects are the system's.
  [[nodiscard]] bool answers(LPARAM objectId) const;
  LRESULT getObject(HWND hwnd, WPARAM flags);
  // After a handler: the controls renamed by it, with the repaint. Needs no server.
  static void reportNameChanges(HWND hwnd, forms::Form& form);
  // The window has shown for the first time: the nodes marked for it are read out, and what
  // loading the form renamed is no change. Needs no server: a client asks for one.
  static void announce(HWND hwnd, forms::Form& form);

 private:
  forms::Form& form_;
  HMODULE oleacc_ = nullptr;
  AccessibleClient* object_ = nullptr;  // one reference held here
};

}  // namespace platform::win32
