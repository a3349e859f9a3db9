#pragma once
// Answers a state query (see state_query.h) from the form's model.
#include <optional>
#include <string>
#include <string_view>

namespace forms {
class Form;
}

namespace forms::win32 {

// nullopt for a query that names nothing known, and for a password box's text.
std::optional<std::string> answerStateQuery(const Form& form, std::string_view query);

// Whether this process answers state queries at all (the machine's diagnostics switch "StateQuery"),
// read from the environment on first use.
bool stateQueriesEnabled();

}  // namespace forms::win32
