/* The floor of LOMA.exe's stack under Wine: the floor's window (floor_win32_window.h), but its
 * first frame drawn the way LOMA.exe draws it, with the same system libraries doing the same
 * work: the four JPEG pictures and the metafile loaded through OleLoadPicture and drawn with
 * IPicture::Render at their drawn sizes, the two fonts added from memory with
 * AddFontMemResourceEx and the captions drawn with DrawTextW. No forms runtime, no C++ runtime,
 * no layout: what is left when only the libraries' work remains. The files are read from the
 * current folder (bench/run.sh copies them there): backdrop.jpg title_banner.jpg up_face.jpg
 * down_face.jpg countdown_notice.wmf LomaMing-Bold.otf LomaBlack.otf.
 *
 * Build: x86_64-w64-mingw32-gcc -O2 -municode -mwindows -o stack.exe floor_win32_stack.c \
 *          -lole32 -loleaut32 -luuid -lgdi32 */
#include "floor_win32_window.h"

#include <ole2.h>
#include <olectl.h>

static HGLOBAL read_file(const wchar_t* name, DWORD* size) {
  HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  *size = GetFileSize(file, NULL);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, *size);
  DWORD got = 0;
  ReadFile(file, GlobalLock(memory), *size, &got, NULL);
  GlobalUnlock(memory);
  CloseHandle(file);
  return memory;
}

static void draw_picture(HDC dc, const wchar_t* name, int x, int y, int w, int h) {
  DWORD size = 0;
  HGLOBAL memory = read_file(name, &size);
  IStream* stream = NULL;
  IPicture* picture = NULL;
  if (!memory || FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) return;
  if (SUCCEEDED(OleLoadPicture(stream, (LONG)size, FALSE, &IID_IPicture, (void**)&picture))) {
    OLE_XSIZE_HIMETRIC width;
    OLE_YSIZE_HIMETRIC height;
    picture->lpVtbl->get_Width(picture, &width);
    picture->lpVtbl->get_Height(picture, &height);
    picture->lpVtbl->Render(picture, dc, x, y, w, h, 0, height, width, -height, NULL);
    picture->lpVtbl->Release(picture);
  }
  stream->lpVtbl->Release(stream);
}

static void add_font(const wchar_t* name) {
  DWORD size = 0, count = 0;
  HGLOBAL memory = read_file(name, &size);
  if (memory) AddFontMemResourceEx(GlobalLock(memory), size, NULL, &count);
}

static void draw_caption(HDC dc, const wchar_t* text, const wchar_t* face, int pixels,
                         COLORREF colour, RECT r) {
  LOGFONTW font;
  ZeroMemory(&font, sizeof font);
  font.lfHeight = -pixels;
  font.lfWeight = FW_BOLD;
  lstrcpyW(font.lfFaceName, face);
  HFONT handle = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(dc, handle);
  SetTextColor(dc, colour);
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(handle);
}

static void paint(HDC dc) {
  draw_picture(dc, L"backdrop.jpg", 0, 0, 572, 252);
  draw_picture(dc, L"title_banner.jpg", 42, 30, 492, 74);
  draw_picture(dc, L"down_face.jpg", 200, 103, 335, 85);
  draw_picture(dc, L"up_face.jpg", 43, 103, 159, 85);
  draw_picture(dc, L"countdown_notice.wmf", 139, 204, 327, 24);
  SetBkMode(dc, TRANSPARENT);
  RECT button = {43, 126, 202, 211}, status = {218, 121, 522, 187}, number = {45, 174, 134, 247},
       credit = {256, 190, 526, 203};
  draw_caption(dc, L"\x95DC\x9589", L"LOMA Ming", 35, RGB(255, 255, 0), button);
  draw_caption(dc, L"ZAVRO Fi \x8A3A\x65B7\x7CFB\x7D71\n\x5DF2\x7D93\x555F\x52D5", L"LOMA Ming", 21,
               RGB(255, 255, 0), status);
  draw_caption(dc, L"10", L"LOMA Black", 48, RGB(255, 0, 0), number);
  draw_caption(dc, L"(C) ZAVRO Fi LOMA Diagnostic Launcher", L"LOMA Ming", 13, RGB(0, 0, 0),
               credit);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR command_line, int show) {
  (void)previous, (void)command_line, (void)show;
  add_font(L"LomaMing-Bold.otf");
  add_font(L"LomaBlack.otf");

  RECT number = {45, 174, 134, 247};
  return floor_run(instance, L"LomaStackFloor", paint, number);
}
