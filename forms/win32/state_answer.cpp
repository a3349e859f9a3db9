#include "forms/win32/state_answer.h"

#include <windows.h>

#include <vector>

#include "forms/form.h"
#include "forms/win32/control_binding.h"
#include "shared/win32/module.h"

namespace forms::win32 {

namespace {

std::optional<std::string> controlProperty(const Control& control, std::string_view property) {
  if (property == "enabled") return answerFlag(control.enabled());
  if (property == "visible") return answerFlag(control.visible());
  if (property == "tooltip") return control.toolTip();
  return bindingOf(control.kind()).answer(control, property);
}

std::optional<std::string> menuProperty(const MenuItem& item, std::string_view property) {
  if (property == "caption") return item.caption();
  if (property == "checked") return answerFlag(item.checked());
  if (property == "enabled") return answerFlag(item.enabled());
  if (property == "visible") return answerFlag(item.visible());
  if (property == "items") {
    std::vector<std::string> captions;
    for (const auto& child : item.items()) captions.push_back(child->caption());
    return answerLines(captions);
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
    if (property == "visible") return answerFlag(form.visible());
    if (property == "topmost") return answerFlag(form.topmost());
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
  static const bool enabled = win32kit::machineSwitch(L"StateQuery");
  return enabled;
}

}  // namespace forms::win32
