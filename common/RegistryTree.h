#pragma once

// The key tree behind Registry and its .reg text form. Internal to the
// platform library: programs use common/Registry.h.

#include "common/Registry.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kiro {

namespace regtree {

// Names compare like Windows registry names: ASCII and full-width Latin
// letters ignore case.
bool sameName(std::string_view a, std::string_view b);

// "@" names the default value, stored under the empty name.
std::string_view valueName(std::string_view name);

// Splits a key path below HKEY_LOCAL_MACHINE (a leading hive name is
// dropped); nullopt for an empty component.
std::optional<std::vector<std::string>> splitPath(std::string_view path);

} // namespace regtree

struct Registry::Node {
    std::string name;
    std::vector<std::pair<std::string, RegistryValue>> values;
    std::vector<std::unique_ptr<Node>> children;

    Node* child(std::string_view childName) const
    {
        for (const auto& c : children)
            if (regtree::sameName(c->name, childName))
                return c.get();
        return nullptr;
    }
    Node& ensureChild(std::string_view childName)
    {
        if (Node* c = child(childName))
            return *c;
        children.push_back(std::make_unique<Node>());
        children.back()->name = std::string(childName);
        return *children.back();
    }
    RegistryValue* value(std::string_view name)
    {
        for (auto& [n, v] : values)
            if (regtree::sameName(n, name))
                return &v;
        return nullptr;
    }
    void setValue(std::string_view name, RegistryValue v)
    {
        if (RegistryValue* old = value(name))
            *old = std::move(v);
        else
            values.emplace_back(std::string(name), std::move(v));
    }
};

namespace regtree {

// Adds the keys and values of .reg text to the tree; lines that cannot be
// kept are reported with their line number.
void parse(Registry::Node& root, std::string_view text, std::vector<RegistryProblem>& problems);

// The .reg text of the tree, keys in pre-order.
std::string serialize(const Registry::Node& root);

} // namespace regtree

} // namespace kiro
