#include "forms/win32/form_view.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "forms/win32/menu_builder.h"
#include "shared/win32/text.h"

namespace forms::win32 {

using win32kit::UniqueMenu;
using win32kit::UniqueWindow;

namespace {

// Every live view, to tell the form windows from other windows of the thread.
std::vector<Win32FormView*>& liveViews() {
  static std::vector<Win32FormView*> views;
  return views;
}

}  // namespace

Win32FormView::Win32FormView(Form& form) : form_(form) {
  liveViews().push_back(this);
  try {
    createWindow();
    createToolTips();
    createChildren();
    rebuildMenuBar();  // before placing: the menu bar takes client height
    placeWindow();
    syncDefaultButton();
  } catch (...) {
    destroy();
    std::erase(liveViews(), this);
    throw;
  }
}

Win32FormView::~Win32FormView() {
  destroy();
  std::erase(liveViews(), this);
}

Win32FormView* Win32FormView::viewOf(const Form& form) { return dynamic_cast<Win32FormView*>(form.view()); }

Win32FormView* Win32FormView::fromWindow(HWND window) {
  if (window == nullptr) return nullptr;
  for (Win32FormView* view : liveViews())
    if (view->window_.get() == window) return view;
  return nullptr;
}

platform::WindowHandle Win32FormView::handle() const {
  return reinterpret_cast<platform::WindowHandle>(window_.get());
}

HWND Win32FormView::controlWindow(const Control& control) const {
  auto found = children_.find(&control);
  return found == children_.end() ? nullptr : found->second.window;
}

Control* Win32FormView::controlOf(HWND window) const {
  auto found = controlsByWindow_.find(window);
  return found == controlsByWindow_.end() ? nullptr : found->second;
}

ChildWindow* Win32FormView::childOf(const Control& control) {
  auto found = children_.find(&control);
  return found == children_.end() ? nullptr : &found->second;
}

void Win32FormView::addMessageHook(MessageHook hook) { hooks_.push_back(std::move(hook)); }

void Win32FormView::destroy() {
  destroying_ = true;
  if (!window_) return;
  window_.reset();  // WM_NCDESTROY forgets the children and the tooltip
}

void Win32FormView::reportError(const char* what) const {
  try {
    if (form_.runtime().onHandlerError) form_.runtime().onHandlerError(what);
  } catch (...) {
    // Nothing may leave a window procedure.
  }
}

LRESULT CALLBACK Win32FormView::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32FormView* view = nullptr;
  try {
    // The view is found among the live views by its window, never through
    // the window's user data, which any program on the desktop can write.
    if (message == WM_NCCREATE) {
      view = static_cast<Win32FormView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      view->window_ = UniqueWindow(window);
    }
    view = fromWindow(window);
    if (view == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return view->handleMessage(window, message, wParam, lParam);
  } catch (const std::exception& error) {
    if (view) view->reportError(error.what());
  } catch (...) {
    if (view) view->reportError("Unexpected error");
  }
  return 0;
}

std::optional<LRESULT> Win32FormView::runHooks(UINT message, WPARAM wParam, LPARAM lParam) {
  for (std::size_t i = 0; i < hooks_.size() && !destroying_; ++i) {
    const MessageHook hook = hooks_[i];  // a hook may add hooks
    try {
      if (auto result = hook(message, wParam, lParam)) return result;
    } catch (const std::exception& error) {
      reportError(error.what());
      return 0;
    } catch (...) {
      reportError("Unexpected error");
      return 0;
    }
  }
  return std::nullopt;
}

LRESULT Win32FormView::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!destroying_ && !hooks_.empty())
    if (auto result = runHooks(message, wParam, lParam)) return *result;

  switch (message) {
    case WM_COMMAND:
      if (!destroying_) onCommand(wParam, lParam);
      return 0;
    case WM_NOTIFY:
      if (!destroying_) {
        LRESULT result = 0;
        if (onNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return result;
      }
      break;
    case WM_MEASUREITEM: {
      // Sent while the control's window is being created: found by its id.
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      const Control* control = measure->CtlType == ODT_MENU ? nullptr : form_.findControl(static_cast<int>(measure->CtlID));
      if (control && bindingOf(control->kind()).measureItem(*measure, *this)) return TRUE;
      break;
    }
    case WM_DRAWITEM: {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const Control* control = draw->CtlType == ODT_MENU ? nullptr : controlOf(draw->hwndItem);
      if (control && bindingOf(control->kind()).drawItem(*draw)) return TRUE;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (destroying_) break;  // the controls may be gone already
      if (auto brush = onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        return *brush;
      break;
    case WM_ERASEBKGND: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, background_ ? background_.get() : GetSysColorBrush(COLOR_BTNFACE));
      // The tab page's body in the window colour, also where sibling
      // controls (frames) stand on it and the tab control does not paint.
      if (tabControl_)
        if (HWND tabs = controlWindow(*tabControl_); tabs && IsWindowVisible(tabs)) {
          RECT page;
          GetWindowRect(tabs, &page);
          MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&page), 2);
          TabCtrl_AdjustRect(tabs, FALSE, &page);
          FillRect(dc, &page, GetSysColorBrush(COLOR_WINDOW));
        }
      return 1;
    }
    case WM_ACTIVATE:
      onActivate(wParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Only the background: a control's window takes the clicks on it.
      if (!destroying_) form_.mouseDown();
      return 0;
    case WM_SETFOCUS:
      if (lastFocus_ && IsWindow(lastFocus_) && IsWindowVisible(lastFocus_)) {
        SetFocus(lastFocus_);
        return 0;
      }
      break;
    case DM_GETDEFID:
      return defaultButton_ ? MAKELRESULT(GetDlgCtrlID(defaultButton_), DC_HASDEFID) : 0;
    case DM_SETDEFID:
      setDefaultButtonWindow(GetDlgItem(window, static_cast<int>(wParam)));
      return TRUE;
    case WM_WINDOWPOSCHANGING:
      if (!destroying_) keepPlace(*reinterpret_cast<WINDOWPOS*>(lParam));
      break;
    case WM_WINDOWPOSCHANGED:
      if (!destroying_) afterPlaceChanged();
      break;
    case WM_STYLECHANGING:
      if (!destroying_) keepVisibleStyle(wParam, *reinterpret_cast<STYLESTRUCT*>(lParam));
      return 0;
    case WM_SYSCOMMAND:
      if (auto handled = onSystemCommand(wParam)) return *handled;
      break;
    case kPutBackMessage:
      putBackPosted_ = false;
      if (!destroying_) putBack();
      return 0;
    case WM_CLOSE:
      // The model decides: its close runs the query-unload and unload handlers.
      if (!destroying_) form_.close(sessionEnding_ ? CloseReason::WindowsSession : CloseReason::User);
      return 0;
    case WM_QUERYENDSESSION:
      // Any program can send these two messages; only the system's own
      // shutting down makes them true.
      sessionEnding_ = windowsSessionEnds();
      return TRUE;
    case WM_ENDSESSION:
      if (wParam == FALSE || !windowsSessionEnds()) sessionEnding_ = false;
      else if (!destroying_) form_.close(CloseReason::WindowsSession);
      return 0;
    case WM_COPYDATA:
      if (auto answered = onCopyData(reinterpret_cast<HWND>(wParam), *reinterpret_cast<const COPYDATASTRUCT*>(lParam)))
        return *answered;
      break;
    case WM_DESTROY:
      if (menuBar_) SetMenu(window, nullptr);  // the view frees its menu itself
      break;
    case WM_NCDESTROY:
      destroying_ = true;
      toolTip_.reset();
      window_.release();
      children_.clear();
      controlsByWindow_.clear();
      defaultButton_ = lastFocus_ = nullptr;
      menuBar_.reset();
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32FormView::refreshForm(FormProperty what) {
  if (destroying_ || !window_) return;
  HWND window = window_.get();
  switch (what) {
    case FormProperty::Caption:
      SetWindowTextW(window, win32kit::toWide(form_.caption()).c_str());
      break;
    case FormProperty::Visible:
      ShowWindow(window, form_.visible() ? SW_SHOW : SW_HIDE);
      if (form_.visible() && (form_.style().coverScreen || form_.topmost()))
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case FormProperty::Topmost:
      SetWindowPos(window, form_.topmost() ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    case FormProperty::DefaultButton:
      syncDefaultButton();
      break;
    case FormProperty::Focus:
      if (Control* focus = form_.focus()) {
        HWND target = controlWindow(*focus);
        if (!target) break;
        // Focusing a child of a hidden window would activate it; remember instead.
        lastFocus_ = target;
        if (IsWindowVisible(window)) SetFocus(target);
      }
      break;
    case FormProperty::Menu:
      rebuildMenuBar();
      break;
  }
}

void Win32FormView::popupMenu(MenuItem& menu) {
  if (destroying_ || !window_) return;
  HWND window = window_.get();
  UniqueMenu popup = buildPopupMenu(menu);
  POINT at{};
  GetCursorPos(&at);
  // Without these two steps a menu of a background window does not close
  // when the user clicks elsewhere.
  SetForegroundWindow(window);
  const UINT command = static_cast<UINT>(
      TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, window, nullptr));
  if (!window_) return;
  PostMessageW(window, WM_NULL, 0, 0);
  popup.reset();
  if (command != 0) SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

Win32ViewFactory::Win32ViewFactory() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

std::unique_ptr<FormView> Win32ViewFactory::create(Form& form) { return std::make_unique<Win32FormView>(form); }

}  // namespace forms::win32
