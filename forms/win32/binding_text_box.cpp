// Text boxes: an edit control whose text follows the model and the user,
// with its length limit, password mask and line breaks; clicks and keys
// reach the model's handlers.
#include <string>

#include "forms/win32/binding_keys.h"
#include "forms/win32/bindings.h"
#include "shared/win32/text.h"

namespace forms::win32 {
namespace {

// A multi-line edit box breaks lines only at CR LF.
std::wstring withCrLf(const std::wstring& text) {
  std::wstring result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) result += L'\r';
    result += text[i];
  }
  return result;
}

std::wstring wideWindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

class TextBoxBinding final : public ControlBinding {
 public:
  WindowStyle windowStyle(const Control& control, const StyleContext& context) const override {
    const auto& text = static_cast<const TextBox&>(control);
    DWORD style = WS_CHILD | (context.startsGroup ? WS_GROUP : 0u) | WS_TABSTOP | ES_AUTOHSCROLL;
    if (text.multiLine()) style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
    if (text.passwordChar() != 0) style |= ES_PASSWORD;
    return {L"EDIT", style, WS_EX_CLIENTEDGE};
  }
  bool listensToWindow() const override { return true; }
  bool keepsSystemColours() const override { return true; }

  void refresh(Control& control, ChildWindow& child, Property what, BindingHost& host) const override {
    if (what == Property::Text) syncAll(control, child, host);
  }
  void syncAll(Control& control, ChildWindow& child, BindingHost& host) const override {
    const auto& text = static_cast<const TextBox&>(control);
    ViewUpdate update(host);
    HWND window = child.window;
    SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(text.maxLength()), 0);
    const auto mask = static_cast<WPARAM>(static_cast<unsigned char>(text.passwordChar()));
    if (static_cast<WPARAM>(SendMessageW(window, EM_GETPASSWORDCHAR, 0, 0)) != mask) {
      SendMessageW(window, EM_SETPASSWORDCHAR, mask, 0);
      InvalidateRect(window, nullptr, TRUE);
    }
    std::wstring wanted = win32kit::toWide(text.text());
    if (text.multiLine()) wanted = withCrLf(wanted);
    // What the user just typed is already there: leave the caret alone.
    if (wideWindowText(window) == wanted) return;
    SetWindowTextW(window, wanted.c_str());
  }

  void command(Control& control, ChildWindow& child, int code, BindingHost& host) const override {
    if (code == EN_CHANGE && host.updateDepth() == 0)
      static_cast<TextBox&>(control).userSetText(win32kit::windowText(child.window));
  }
  std::optional<LRESULT> windowMessage(Control& control, ChildWindow& child, UINT message, WPARAM wParam,
                                       LPARAM lParam, BindingHost& host) const override {
    auto& text = static_cast<TextBox&>(control);
    HWND window = child.window;  // a handler may end the form, and the record with it
    if (auto handled = keyMessage(window, message, wParam, lParam, static_cast<bool>(text.onKeyDown),
                                  [&](int key) { text.keyDown(key); }, host))
      return handled;
    if (message == WM_LBUTTONUP) {
      // On release, so that a handler opening a window finds the mouse free.
      const LRESULT result = callWindow(window, message, wParam, lParam);
      text.click();
      return result;
    }
    return std::nullopt;
  }

  std::optional<std::string> answer(const Control& control, std::string_view property) const override {
    const auto& text = static_cast<const TextBox&>(control);
    if (property == "text" && text.passwordChar() == 0) return text.text();  // never a password
    return std::nullopt;
  }
};

}  // namespace

const ControlBinding& textBoxBinding() {
  static const TextBoxBinding binding;
  return binding;
}

}  // namespace forms::win32
