// Checks the Group Policy templates against the program, at build time:
// both files are well-formed XML in the ADMX layout, every policy names the
// policy key and a setting the program reads there, every managed setting
// has its policy, and every string the ADMX names is in the ADML.
//   check_policy_templates tessara.admx en-US/tessara.adml
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "tessara7/restrictions/catalogue.h"
#include "tessara7/settings/managed_settings.h"
#include "tessara7/settings/store_keys.h"

namespace {

int failures = 0;

void fail(const std::string& what) {
  std::fprintf(stderr, "policy templates: %s\n", what.c_str());
  ++failures;
}

std::string attribute(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  std::string text = value ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return text;
}

bool named(xmlNode* node, std::string_view name) {
  return node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name);
}

xmlNode* child(xmlNode* parent, std::string_view name) {
  for (xmlNode* node = parent->children; node; node = node->next)
    if (named(node, name)) return node;
  return nullptr;
}

constexpr std::string_view kNamespace = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";

xmlDoc* parse(const char* path, std::string_view root) {
  xmlDoc* document = xmlReadFile(path, nullptr, XML_PARSE_NONET);
  if (!document) {
    fail(std::string(path) + " is not well-formed XML");
    return nullptr;
  }
  xmlNode* top = xmlDocGetRootElement(document);
  if (!top || !named(top, root) || !top->ns || kNamespace != reinterpret_cast<const char*>(top->ns->href))
    fail(std::string(path) + ": the root is not <" + std::string(root) + "> of the policy definitions namespace");
  return document;
}

// "$(string.Name)" -> "Name", or empty.
std::string stringReference(const std::string& text) {
  constexpr std::string_view prefix = "$(string.";
  if (text.size() <= prefix.size() + 1 || text.compare(0, prefix.size(), prefix) != 0 || text.back() != ')') return {};
  return text.substr(prefix.size(), text.size() - prefix.size() - 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: check_policy_templates tessara.admx tessara.adml\n");
    return 2;
  }
  xmlDoc* admx = parse(argv[1], "policyDefinitions");
  xmlDoc* adml = parse(argv[2], "policyDefinitionResources");
  if (!admx || !adml) return 1;

  // The strings the ADML defines.
  std::set<std::string> strings;
  xmlNode* resources = child(xmlDocGetRootElement(adml), "resources");
  xmlNode* table = resources ? child(resources, "stringTable") : nullptr;
  if (!table) fail("the ADML has no <resources><stringTable>");
  for (xmlNode* node = table ? table->children : nullptr; node; node = node->next)
    if (named(node, "string")) strings.insert(attribute(node, "id"));
  const auto needString = [&](const std::string& where, const std::string& text) {
    const std::string id = stringReference(text);
    if (id.empty()) fail(where + ": \"" + text + "\" is not a $(string.Id) reference");
    else if (!strings.count(id)) fail(where + ": the string \"" + id + "\" is not in the ADML");
  };

  // The presentations the ADML defines, with the element ids they show.
  std::set<std::string> presentations, shownElements;
  xmlNode* presentationTable = resources ? child(resources, "presentationTable") : nullptr;
  for (xmlNode* node = presentationTable ? presentationTable->children : nullptr; node; node = node->next) {
    if (!named(node, "presentation")) continue;
    presentations.insert(attribute(node, "id"));
    for (xmlNode* part = node->children; part; part = part->next)
      if (part->type == XML_ELEMENT_NODE) shownElements.insert(attribute(part, "refId"));
  }

  // What the program reads, as (key, value name): its flags and the master
  // password under the settings key, and the lock list's values (any name).
  using Place = std::pair<std::string, std::string>;
  const std::string settingsKey = tessara::ManagedSettings::PolicySettingsKey;
  std::set<Place> managed{{settingsKey, tessara::ManagedSettings::MasterPasswordValue},
                          {tessara::ManagedSettings::PolicyTasksKey, "*"}};
  for (const auto& entry : tessara::catalogue::switches())
    if (entry.encoding == tessara::catalogue::Encoding::Flag && entry.key == tessara::keys::Settings)
      managed.insert({settingsKey, std::string(entry.value)});

  xmlNode* top = xmlDocGetRootElement(admx);
  for (const char* section : {"policyNamespaces", "resources", "supportedOn", "categories", "policies"})
    if (!child(top, section)) fail(std::string("the ADMX has no <") + section + ">");
  std::set<std::string> categories, supported;
  if (xmlNode* list = child(top, "categories"))
    for (xmlNode* node = list->children; node; node = node->next)
      if (named(node, "category")) {
        categories.insert(attribute(node, "name"));
        needString("category " + attribute(node, "name"), attribute(node, "displayName"));
      }
  if (xmlNode* on = child(top, "supportedOn"))
    if (xmlNode* definitions = child(on, "definitions"))
      for (xmlNode* node = definitions->children; node; node = node->next)
        if (named(node, "definition")) {
          supported.insert(attribute(node, "name"));
          needString("supportedOn " + attribute(node, "name"), attribute(node, "displayName"));
        }
  if (!categories.count("Tessara")) fail("the ADMX has no category \"Tessara\"");

  std::set<Place> covered;
  const auto reads = [&](const std::string& where, const Place& place) {
    if (!managed.count(place))
      fail(where + ": Tessara reads no value \"" + place.second + "\" under \"" + place.first + "\"");
    else if (!covered.insert(place).second)
      fail(where + ": a second policy for \"" + place.second + "\" under \"" + place.first + "\"");
  };
  xmlNode* policies = child(top, "policies");
  for (xmlNode* node = policies ? policies->children : nullptr; node; node = node->next) {
    if (!named(node, "policy")) continue;
    const std::string name = attribute(node, "name");
    const std::string where = "policy " + name;
    const std::string kind = attribute(node, "class");
    if (kind != "User" && kind != "Machine" && kind != "Both") fail(where + ": class \"" + kind + "\"");
    needString(where, attribute(node, "displayName"));
    needString(where + " (explain)", attribute(node, "explainText"));
    const std::string key = attribute(node, "key");
    xmlNode* elements = child(node, "elements");
    if (elements) {
      // Each element writes a value of its own, under its own key or the policy's.
      const std::string shown = attribute(node, "presentation");
      constexpr std::string_view prefix = "$(presentation.";
      if (shown.size() <= prefix.size() + 1 || shown.compare(0, prefix.size(), prefix) != 0 || shown.back() != ')' ||
          !presentations.count(shown.substr(prefix.size(), shown.size() - prefix.size() - 1)))
        fail(where + ": its presentation is not in the ADML");
      for (xmlNode* element = elements->children; element; element = element->next) {
        if (element->type != XML_ELEMENT_NODE) continue;
        const std::string id = attribute(element, "id");
        if (!shownElements.count(id)) fail(where + ": no presentation shows the element \"" + id + "\"");
        const std::string elementKey = attribute(element, "key").empty() ? key : attribute(element, "key");
        reads(where + " element " + id, {elementKey, named(element, "list") ? "*" : attribute(element, "valueName")});
      }
    } else {
      reads(where, {key, attribute(node, "valueName")});
      if (!child(node, "enabledValue") || !child(node, "disabledValue"))
        fail(where + ": no enabled and disabled values");
    }
    xmlNode* parent = child(node, "parentCategory");
    if (!parent || !categories.count(attribute(parent, "ref"))) fail(where + ": no known parent category");
    xmlNode* on = child(node, "supportedOn");
    if (!on || !supported.count(attribute(on, "ref"))) fail(where + ": no known supportedOn");
  }
  for (const Place& place : managed)
    if (!covered.count(place)) fail("no policy for \"" + place.second + "\" under \"" + place.first + "\"");

  xmlFreeDoc(admx);
  xmlFreeDoc(adml);
  xmlCleanupParser();
  if (failures == 0) std::printf("policy templates: %zu policies checked\n", covered.size());
  return failures == 0 ? 0 : 1;
}
