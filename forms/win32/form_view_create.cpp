// Creating the windows of a form view.
#include <windows.h>
#include <commctrl.h>

#include <set>
#include <stdexcept>
#include <string>

#include "forms/win32/check_list_paint.h"
#include "forms/win32/form_view.h"
#include "forms/win32/control_binding.h"
#include "forms/win32/window_styles.h"
#include "shared/names.h"
#include "shared/win32/text.h"
#include "shared/win32/window.h"

namespace forms::win32 {

using win32kit::UniqueFont;
using win32kit::UniqueBrush;
using win32kit::UniqueWindow;

namespace {

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

// One window class per form, so that other programs and the tests can find
// a form's window by its class.
void registerFormClass(const std::wstring& className, WNDPROC procedure) {
  static std::set<std::wstring> registered;
  if (registered.count(className) != 0) return;
  if (!win32kit::registerWindowClass({className, procedure}))
    throw std::runtime_error("Cannot register the window class of a form");
  registered.insert(className);
}

UniqueFont messageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
  return UniqueFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

}  // namespace

int Win32FormView::scale(int pixels) const { return MulDiv(pixels, static_cast<int>(dpi_), 96); }

void Win32FormView::createWindow() {
  const std::wstring className = win32kit::toWide(std::string(names::FormClassPrefix) + form_.name());
  registerFormClass(className, &Win32FormView::windowProc);
  const WindowStyle style = formWindowStyle(form_.style());
  HWND window = CreateWindowExW(style.exStyle, className.c_str(), win32kit::toWide(form_.caption()).c_str(),
                                style.style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance(),
                                this);
  if (window == nullptr) throw std::runtime_error("Cannot create the window " + form_.name());
  dpi_ = GetDpiForWindow(window);
  if (dpi_ == 0) dpi_ = 96;
  font_ = messageFont();
  checkListItemHeight_ = forms::win32::checkListItemHeight(font_.get(), dpi_);
  if (form_.style().background != 0xFFFFFFFF) background_ = UniqueBrush(CreateSolidBrush(form_.style().background));
}

void Win32FormView::placeWindow() {
  HWND window = window_.get();
  const FormStyle& style = form_.style();
  if (style.coverScreen) {
    SetWindowPos(window, HWND_TOPMOST, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), SWP_NOACTIVATE);
    return;
  }
  RECT frame{0, 0, scale(style.width), scale(style.height)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), GetMenu(window) != nullptr,
                           static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), dpi_);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  int x = 0, y = 0;
  RECT work{};
  if (style.centred && SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
    x = work.left + (work.right - work.left - width) / 2;
    y = work.top + (work.bottom - work.top - height) / 2;
  } else {
    flags |= SWP_NOMOVE;
  }
  SetWindowPos(window, nullptr, x, y, width, height, flags);
}

void Win32FormView::createToolTips() {
  // Not owned by the form: under Wine an owned topmost pop-up keeps its owner
  // from becoming topmost. The view destroys it with the form window.
  toolTip_ = UniqueWindow(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                          instance(), nullptr));
  if (toolTip_) SendMessageW(toolTip_.get(), TTM_SETMAXTIPWIDTH, 0, scale(400));
}

void Win32FormView::createChildren() {
  for (Control* control : form_.controls()) {
    if (control->kind() == Kind::TabControl) {
      tabControl_ = static_cast<TabControl*>(control);
      break;
    }
  }
  // Controls of a grouping kind (option buttons) that follow each other in
  // the same frame make one group.
  const ControlBinding* previous = nullptr;
  const Frame* previousFrame = nullptr;
  for (Control* control : form_.controls()) {
    const ControlBinding& binding = bindingOf(control->kind());
    if (binding.windowStyle(*control, {}).className == nullptr) continue;  // no window (a timer)
    const bool startsGroup = !(binding.groupsWithLikeNeighbours() && previous == &binding &&
                               previousFrame == control->placement().frame);
    createChild(*control, binding, startsGroup);
    previous = &binding;
    previousFrame = control->placement().frame;
  }
  // The tab control goes beneath the controls of its pages (they are its
  // siblings); it becomes the last stop of the Tab key.
  if (tabControl_)
    if (HWND tabs = controlWindow(*tabControl_))
      SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32FormView::createChild(Control& control, const ControlBinding& binding, bool startsGroup) {
  const WindowStyle style = binding.windowStyle(control, {&control == form_.defaultButton(), startsGroup});
  if (style.className == nullptr) return;
  const Rect& rect = control.placement().rect;
  DWORD windowStyle = style.style;
  if (shownOnScreen(control)) windowStyle |= WS_VISIBLE;
  if (!control.effectivelyEnabled()) windowStyle |= WS_DISABLED;
  HWND window = CreateWindowExW(style.exStyle, style.className, L"", windowStyle, scale(rect.x), scale(rect.y),
                                scale(rect.width), scale(rect.height), window_.get(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id())), instance(), nullptr);
  if (window == nullptr) throw std::runtime_error("Cannot create the control " + control.name());
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  children_[&control].window = window;
  controlsByWindow_[window] = &control;
  if (binding.listensToWindow()) listenTo(window);
  syncAll(control);
}

// The view puts its own procedure in front of the control's and keeps the
// control's in a table of this program (never in the window's user data,
// which another program can write). SetWindowSubclass would be the usual
// way, but it looks its chain up in a window property at every message,
// which under Wine is a round trip to the server: filling a long list took
// a tenth of a millisecond per entry that way.
void Win32FormView::listenTo(HWND window) {
  const auto own = reinterpret_cast<LONG_PTR>(&Win32FormView::controlProc);
  keepWindowProcedure(window, reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, own)));
}

}  // namespace forms::win32
