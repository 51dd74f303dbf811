// Win32 platform: window host (see host.h).
#include "platform/win32/host.h"

#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "platform/win32/density.h"
#include "platform/win32/file_lookup.h"
#include "platform/win32/icon_scaling.h"
#include "platform/win32/presenter.h"
#include "platform/win32/process_start.h"
#include "platform/win32/text.h"
#include "resource_ids.h"

namespace platform::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"LOMA_Frm";
constexpr wchar_t kProgramTitle[] = L"LOMA";
constexpr UINT_PTR kRunPosted = 1;  // timer: the form has posted work
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x2;
#endif
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

std::int64_t nowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return counter.QuadPart / frequency.QuadPart * 1000 +
         counter.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart;
}

// Without the high-resolution flag (before Windows 10 1803) a tick may come up to one system
// timer period late; the schedule keeps that from adding up.
HANDLE createTickTimer() {
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS);
  return timer ? timer : CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
}

int shiftState(WPARAM wParam) {
  return ((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

}  // namespace

Host::Host(HINSTANCE instance) : instance_(instance), tickTimer_(createTickTimer()) {}

Host::~Host() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (tickTimer_) CloseHandle(tickTimer_);
}

forms::Twips Host::screenWidth() {
  // Aware of densities (see the manifest), the primary screen is measured in device pixels,
  // each 1440/dpi twips at the form's density.
  int dpi = form_ ? form_->dpi() : windowDpi(nullptr);
  return forms::pointerToTwips(GetSystemMetrics(SM_CXSCREEN), dpi);
}

std::int32_t Host::setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter, std::int32_t x,
                                std::int32_t y, std::int32_t cx, std::int32_t cy,
                                std::uint32_t flags) {
  // Exactly as asked: the values reach user32 as they are, whatever they mean there.
  return SetWindowPos(reinterpret_cast<HWND>(hWnd), reinterpret_cast<HWND>(hWndInsertAfter), x, y,
                      cx, cy, flags);
}

std::u16string Host::dir(std::u16string_view path, int attributes) {
  return findFile(path, attributes);
}

double Host::shell(std::u16string_view path, int windowStyle) {
  return startProgram(path, windowStyle);
}

void Host::terminate() {
  ExitProcess(0);
}

void Host::attach(forms::Form& form) {
  form_ = &form;
  formTimer_ = form.timer();

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon =
      static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APPLICATION_GROUP), IMAGE_ICON,
                                    0, 0, LR_DEFAULTSIZE | LR_SHARED));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APPLICATION_GROUP), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassExW(&windowClass);

  forms::PixelRect r = form.screenPixels();
  std::wstring caption = wide(form.caption());
  // Created hidden; the window procedure learns its host from WM_NCCREATE.
  CreateWindowExW(0, kWindowClass, caption.c_str(), WS_POPUP, r.x, r.y, r.width, r.height, nullptr,
                  nullptr, instance_, this);
  if (!hwnd_) throw forms::err::outOfMemory();
  // The density of the monitor the window was created on; attaching lays the form out at it.
  form.setDpi(windowDpi(hwnd_));
  setIcons(form.dpi());

  // The form's timer runs from the creation of its window.
  if (formTimer_) {
    schedule_.emplace(nowMs(), formTimer_->interval());
    armTimer();
  }
  form.attach(this);
}

int Host::run() {
  for (;;) {
    deliverDueTicks();
    MsgWaitForMultipleObjectsEx(tickTimer_ ? 1 : 0, &tickTimer_, INFINITE, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageW(&message);
      rethrowEscaped();
    }
  }
}

void Host::reportUnhandled(const forms::RuntimeError& error) {
  // The box runs a modal loop that still dispatches to our window: the flag keeps every
  // message from there away from the forms runtime, and the window goes before the box shows.
  reporting_ = true;
  if (tickTimer_) CancelWaitableTimer(tickTimer_);
  if (hwnd_) {
    ReleaseCapture();
    ShowWindow(hwnd_, SW_HIDE);
  }
  std::wstring text = wide(unhandledErrorText(error));
  MessageBoxW(nullptr, text.c_str(), kProgramTitle, MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  ExitProcess(kUnhandledErrorExitCode);
}

void Host::applyBounds(const forms::PixelRect& screenPixels) {
  SetWindowPos(hwnd_, nullptr, screenPixels.x, screenPixels.y, screenPixels.width,
               screenPixels.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Host::applyVisible(bool visible) {
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
  if (visible) {
    UpdateWindow(hwnd_);  // the first picture at once, not after the next tick
    rethrowEscaped();
  }
  if (visible && !shown_) AccessibilityServer::announce(hwnd_, *form_);
  shown_ = shown_ || visible;
}

// A timer message rather than a posted one: it comes only once the queue is empty, so the reply
// to the screen reader's call that posted the work (a click that may end the program) has left
// first; a posted message could run the click, and end the process, before that reply was sent.
void Host::workPosted() {
  SetTimer(hwnd_, kRunPosted, USER_TIMER_MINIMUM, nullptr);
}

void Host::invalidate(const forms::PixelRect& clientPixels) {
  RECT r{clientPixels.x, clientPixels.y, clientPixels.x + clientPixels.width,
         clientPixels.y + clientPixels.height};
  InvalidateRect(hwnd_, &r, FALSE);
}

LRESULT CALLBACK Host::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* host = static_cast<Host*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    host->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
  }
  auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!host || host->reporting_ || host->escaped_)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  // No exception may unwind through user32: it is kept, and thrown on to the program's one
  // handler (in main, as on Linux) once the call into the system that sent the message is over.
  try {
    return host->onMessage(message, wParam, lParam);
  } catch (...) {
    host->escaped_ = std::current_exception();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void Host::rethrowEscaped() {
  if (escaped_) std::rethrow_exception(std::exchange(escaped_, nullptr));
}

LRESULT Host::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      onPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_LBUTTONDOWN:
      onLButtonDown(wParam, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      onRButtonDown(wParam, lParam);
      return 0;
    case WM_MBUTTONDOWN:
      onMButtonDown(wParam, lParam);
      return 0;
    case WM_LBUTTONUP:
      onLButtonUp(wParam, lParam);
      return 0;
    case WM_RBUTTONUP:
      onRButtonUp(wParam, lParam);
      return 0;
    case WM_MBUTTONUP:
      onMButtonUp(wParam, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      onCaptureChanged(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_CANCELMODE:
      onCancelMode();
      return DefWindowProcW(hwnd_, message, wParam, lParam);  // it also gives the mouse back
    case WM_TIMER:
      onTimer(wParam);
      return 0;
    case WM_POWERBROADCAST:
      onPowerBroadcast(wParam);
      return TRUE;
    case WM_CLOSE:
      onClose();
      return 0;
    case WM_DESTROY:
      onDestroy();
      return 0;
    case WM_GETOBJECT:
      return onGetObject(wParam, lParam);
    case WM_DPICHANGED:
      onDpiChanged(wParam);
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void Host::onPaint() {
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(hwnd_, &paint);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (client.right > 0 && client.bottom > 0) {
    Presenter frame(screen, client.right, client.bottom, paint.rcPaint);
    painter_.target(frame.buffer());
    form_->paint(painter_);
    painter_.target(nullptr);
    frame.show();
  }
  EndPaint(hwnd_, &paint);
}

void Host::onLButtonDown(WPARAM wParam, LPARAM lParam) {
  buttonDown(forms::MouseButton::Left, wParam, lParam);
}

void Host::onRButtonDown(WPARAM wParam, LPARAM lParam) {
  buttonDown(forms::MouseButton::Right, wParam, lParam);
}

void Host::onMButtonDown(WPARAM wParam, LPARAM lParam) {
  buttonDown(forms::MouseButton::Middle, wParam, lParam);
}

void Host::onLButtonUp(WPARAM wParam, LPARAM lParam) {
  buttonUp(forms::MouseButton::Left, wParam, lParam);
}

void Host::onRButtonUp(WPARAM wParam, LPARAM lParam) {
  buttonUp(forms::MouseButton::Right, wParam, lParam);
}

void Host::onMButtonUp(WPARAM wParam, LPARAM lParam) {
  buttonUp(forms::MouseButton::Middle, wParam, lParam);
}

void Host::buttonDown(forms::MouseButton button, WPARAM wParam, LPARAM lParam) {
  // The release comes to this window wherever the pointer is by then.
  if (GetCapture() != hwnd_) SetCapture(hwnd_);
  int dpi = form_->dpi();
  form_->mouseDown(button, shiftState(wParam), forms::pointerToTwips(GET_X_LPARAM(lParam), dpi),
                   forms::pointerToTwips(GET_Y_LPARAM(lParam), dpi));
}

void Host::buttonUp(forms::MouseButton button, WPARAM wParam, LPARAM lParam) {
  // The mouse is given back before the handlers run: a click may end the program or raise.
  // That is no lost capture: the press ends with this release.
  if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
    givingBack_ = true;
    ReleaseCapture();
    givingBack_ = false;
  }
  int dpi = form_->dpi();
  form_->mouseUp(button, shiftState(wParam), forms::pointerToTwips(GET_X_LPARAM(lParam), dpi),
                 forms::pointerToTwips(GET_Y_LPARAM(lParam), dpi));
}

// The mouse was taken away while a button was held (a UAC prompt, the secure desktop, another
// window's activation): the release will not come here. The press ends as a release away from
// the button: its face goes up, and there is no click.
void Host::onCaptureChanged(HWND gainedBy) {
  if (givingBack_ || gainedBy == hwnd_) return;
  form_->captureLost();
}

// The system cancels modes (a dialog or menu opens, the window is disabled): the press ends now,
// before the default handling gives the mouse back.
void Host::onCancelMode() {
  form_->captureLost();
}

// The one timer message is the form's posted work (see workPosted).
void Host::onTimer(UINT_PTR id) {
  if (id != kRunPosted) return;
  KillTimer(hwnd_, kRunPosted);
  form_->runPosted();
}

// After a sleep every tick that fell due meanwhile runs at once, in order, and the window is
// painted once after them (WM_PAINT waits for an empty queue). The schedule's clock (the
// performance counter) counts the time asleep. Windows also lets a relative timer that would
// have expired during a sleep expire on waking, but does not say so of high-resolution timers.
void Host::onPowerBroadcast(WPARAM event) {
  if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) deliverDueTicks();
}

// The window system closes the only window (Alt+F4, logging off): the program ends, and no
// handler of the launcher runs.
void Host::onClose() {
  DestroyWindow(hwnd_);
}

LRESULT Host::onGetObject(WPARAM wParam, LPARAM lParam) {
  if (!a11y_) a11y_ = std::make_unique<AccessibilityServer>(*form_);
  if (!a11y_->answers(lParam)) return DefWindowProcW(hwnd_, WM_GETOBJECT, wParam, lParam);
  return a11y_->getObject(hwnd_, wParam);
}

void Host::onDestroy() {
  hwnd_ = nullptr;
  PostQuitMessage(0);
}

// The window moved to a monitor of another density, or the scale was changed in the settings.
// The suggested rectangle is not taken: the form lays itself out again from its unchanged twips
// (through applyBounds: SetWindowPos without z-order or activation) and repaints. No handler
// of the launcher runs.
void Host::onDpiChanged(WPARAM wParam) {
  int dpi = forms::clampDpi(LOWORD(wParam));
  form_->setDpi(dpi);
  setIcons(dpi);
}

// The icons at the sizes the system shows them at this density, resampled from our one image.
// At 96 dpi the window has none of its own: the class's icons, loaded as ever, serve.
void Host::setIcons(int dpi) {
  const int sizes[2][2] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
  for (const auto& [which, metric] : sizes) {
    HICON icon = dpi == forms::kDesignDpi
                     ? nullptr
                     : scaledIcon(instance_, IDI_APPLICATION_GROUP, metricForDpi(metric, dpi));
    if (!icon && dpi != forms::kDesignDpi) continue;
    auto previous = reinterpret_cast<HICON>(SendMessageW(
        hwnd_, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(icon)));
    if (previous) DestroyIcon(previous);
  }
}

void Host::deliverDueTicks() {
  if (!schedule_ || reporting_) return;
  // Each tick that has fallen due is delivered, late ones too, one after another.
  while (formTimer_->enabled() && schedule_->due(nowMs())) {
    schedule_->advance();
    if (formTimer_->onTimer) formTimer_->onTimer(*formTimer_);
    AccessibilityServer::reportNameChanges(hwnd_, *form_);  // after the handler, not the last
  }
  armTimer();
}

void Host::armTimer() {
  if (!tickTimer_ || !schedule_) return;
  // Relative, in 100 ns units, up to the next due time of the absolute schedule.
  LARGE_INTEGER due;
  due.QuadPart = -std::max<std::int64_t>(schedule_->nextDue() - nowMs(), 0) * 10000;
  SetWaitableTimer(tickTimer_, &due, 0, nullptr, nullptr, FALSE);
}

}  // namespace platform::win32
