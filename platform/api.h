// What the launcher asks of an operating system, as the classic runtime offered it, and the
// event host each platform provides for the one form.
#pragma once

#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>

#include "forms/errors.h"
#include "forms/form.h"

namespace platform {

// SetWindowPos arguments.
constexpr std::intptr_t kHwndTopmost = -1;
constexpr std::uint32_t kSwpNoActivate = 0x10;
constexpr std::uint32_t kSwpShowWindow = 0x40;

// File attribute mask of a lookup: 0 matches ordinary files only (read-only and archive too).
constexpr int vbNormal = 0, vbReadOnly = 1, vbHidden = 2, vbSystem = 4, vbVolume = 8,
              vbDirectory = 16;
// The window style the launcher starts its program with.
constexpr int vbHide = 0;

class Services {
 public:
  virtual ~Services() = default;
  // Width of the primary screen, in twips.
  virtual forms::Twips screenWidth() = 0;
  virtual std::int32_t setWindowPos(std::intptr_t hWnd, std::intptr_t hWndInsertAfter,
                                    std::int32_t x, std::int32_t y, std::int32_t cx,
                                    std::int32_t cy, std::uint32_t flags) = 0;
  // The bare name of the first file matching a full path and an attribute mask, or "".
  virtual std::u16string dir(std::u16string_view path, int attributes) = 0;
  // Starts a program with an initial window style and returns its task id at once; raises
  // 53 File not found, 5 Invalid procedure call or argument, or 70 Permission denied.
  virtual double shell(std::u16string_view path, int windowStyle) = 0;
  // Ends the program at once: no further statement or handler runs.
  [[noreturn]] virtual void terminate() = 0;
};

class Host : public Services {
 public:
  // Gives the form its native window, created hidden; the form's timers run from now on.
  virtual void attach(forms::Form& form) = 0;
  // Dispatches events until the program ends; returns the process exit code.
  virtual int run() = 0;
  // An error that no handler absorbed: the launcher window is hidden, the standard message
  // shows, no handler of ours runs meanwhile, and the program ends with a non-zero code.
  [[noreturn]] virtual void reportUnhandled(const forms::RuntimeError& error) = 0;
};

// A started program that failed after its start had returned (on Linux: Wine, or our start
// helper under it, could not start it), told by its exit code: the error the start raises for
// the same failure, for the host to report as unhandled, as the start's own error would have
// been. 53 and 70 are the start's own numbers; any other code is 5.
forms::RuntimeError laterStartFailure(int exitCode);

// The standard unhandled-error text: "Run-time error 'N':", a blank line, the description.
std::u16string unhandledErrorText(const forms::RuntimeError& error);
constexpr int kUnhandledErrorExitCode = 1;

// Runs one event handler: whatever it lets escape is reported as unhandled, so no exception
// ever crosses a window procedure or an event loop.
template <class Handler>
void dispatch(Host& host, Handler&& handler) {
  try {
    handler();
  } catch (const forms::RuntimeError& e) {
    host.reportUnhandled(e);
  } catch (const std::bad_alloc&) {
    host.reportUnhandled(forms::err::outOfMemory());
  } catch (const forms::Terminated&) {
    throw;  // the headless host's Terminate, on its way to the event pump
  } catch (...) {
    host.reportUnhandled(forms::err::internalError());
  }
}

// The program's embedded files: resources on Windows, byte arrays compiled in elsewhere.
enum class Asset {
  Backdrop,
  WindowIcon,
  DownFace,
  UpFace,
  CountdownNotice,
  TitleBanner,
  FontMing,
  FontBlack
};
constexpr Asset kLastAsset = Asset::FontBlack;
std::span<const std::uint8_t> embedded(Asset asset);

}  // namespace platform
