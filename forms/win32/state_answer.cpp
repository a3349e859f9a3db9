#include "forms/win32/state_answer.h"

#include <windows.h>

#include <vector>

#include "forms/form.h"
#include "shared/win32/module.h"

namespace forms::win32 {

namespace {

std::string flag(bool on) { return on ? "1" : "0"; }

std::string lines(const std::vector<std::string>& entries) {
  std::string joined;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += entries[i];
  }
  return joined;
}

std::optional<std::string> caption(const Control& control) {
  switch (control.kind()) {
    case Kind::Label: return static_cast<const Label&>(control).caption();
    case Kind::Button: return static_cast<const Button&>(control).caption();
    case Kind::CheckBox: return static_cast<const CheckBox&>(control).caption();
    case Kind::OptionButton: return static_cast<const OptionButton&>(control).caption();
    case Kind::Frame: return static_cast<const Frame&>(control).caption();
    default: return std::nullopt;
  }
}

std::optional<std::string> listProperty(const ListBox& list, std::string_view property) {
  if (property == "items") return lines(list.items());
  if (property == "listindex") return std::to_string(list.listIndex());
  if (property == "text") return list.listIndex() >= 0 ? list.item(list.listIndex()) : std::string();
  return std::nullopt;
}

std::optional<std::string> checkListProperty(const CheckList& list, std::string_view property) {
  std::vector<std::string> values;
  if (property == "items") {
    for (const auto& entry : list.entries()) values.push_back(entry.text);
    return lines(values);
  }
  if (property == "checks") {
    for (const auto& entry : list.entries()) values.push_back(flag(entry.checked));
    return lines(values);
  }
  if (property == "listindex") return std::to_string(list.listIndex());
  if (property == "text") return list.listIndex() >= 0 ? list.item(list.listIndex()) : std::string();
  return std::nullopt;
}

std::optional<std::string> tabProperty(const TabControl& tabs, std::string_view property) {
  std::vector<std::string> values;
  if (property == "tab") return std::to_string(tabs.tab());
  if (property == "items") {
    for (const auto& tab : tabs.tabs()) values.push_back(tab.caption);
    return lines(values);
  }
  if (property == "tabenabled") {
    for (const auto& tab : tabs.tabs()) values.push_back(flag(tab.enabled));
    return lines(values);
  }
  return std::nullopt;
}

std::optional<std::string> controlProperty(const Control& control, std::string_view property) {
  if (property == "enabled") return flag(control.enabled());
  if (property == "visible") return flag(control.visible());
  if (property == "tooltip") return control.toolTip();
  if (property == "caption") return caption(control);
  switch (control.kind()) {
    case Kind::Label:
      if (property == "color") return std::to_string(static_cast<const Label&>(control).color());
      if (property == "text") return static_cast<const Label&>(control).caption();
      break;
    case Kind::CheckBox:
      if (property == "value") return std::to_string(static_cast<const CheckBox&>(control).value());
      break;
    case Kind::OptionButton:
      if (property == "value") return flag(static_cast<const OptionButton&>(control).value());
      break;
    case Kind::TextBox: {
      const auto& text = static_cast<const TextBox&>(control);
      if (property == "text" && text.passwordChar() == 0) return text.text();
      break;
    }
    case Kind::ListBox: return listProperty(static_cast<const ListBox&>(control), property);
    case Kind::CheckList: return checkListProperty(static_cast<const CheckList&>(control), property);
    case Kind::TabControl: return tabProperty(static_cast<const TabControl&>(control), property);
    case Kind::Timer: {
      const auto& timer = static_cast<const Timer&>(control);
      if (property == "interval") return std::to_string(timer.interval());
      if (property == "running") return flag(timer.running());
      break;
    }
    default: break;
  }
  return std::nullopt;
}

std::optional<std::string> menuProperty(const MenuItem& item, std::string_view property) {
  if (property == "caption") return item.caption();
  if (property == "checked") return flag(item.checked());
  if (property == "enabled") return flag(item.enabled());
  if (property == "visible") return flag(item.visible());
  if (property == "items") {
    std::vector<std::string> captions;
    for (const auto& child : item.items()) captions.push_back(child->caption());
    return lines(captions);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> answerStateQuery(const Form& form, std::string_view query) {
  const auto dot = query.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  const std::string_view subject = query.substr(0, dot);
  const std::string_view property = query.substr(dot + 1);

  if (subject == "form") {
    if (property == "caption") return form.caption();
    if (property == "visible") return flag(form.visible());
    if (property == "topmost") return flag(form.topmost());
    return std::nullopt;
  }
  if (subject.starts_with("menu.")) {
    const MenuItem* item = form.findMenu(std::string(subject.substr(5)));
    return item ? menuProperty(*item, property) : std::nullopt;
  }
  const Control* control = form.findControl(std::string(subject));
  return control ? controlProperty(*control, property) : std::nullopt;
}

bool stateQueriesEnabled() {
  static const bool enabled = win32kit::environmentSwitch(L"TESSARA_STATE_QUERY");
  return enabled;
}

}  // namespace forms::win32
