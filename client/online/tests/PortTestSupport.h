#pragma once

#include "client/online/PortRegistry.h"
#include "client/online/ReceiveHandler.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

namespace kiro::online::test {

// Collects every byte the dispatcher hands on; the test waits for text.
class CollectingHandler final : public ReceiveHandler {
public:
  bool matchArmed() const override { return armed; }
  void matchByte(unsigned char byte) override { add(byte, true); }
  void watchByte(unsigned char byte) override { add(byte, false); }
  void clearMatchBuffer() override { ++clears; }

  // Waits until the collected text contains `needle` (searching from `from`).
  bool waitFor(const std::string& needle, int timeoutMs = 5000, std::size_t from = 0) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      return m_text.size() >= from && m_text.find(needle, from) != std::string::npos;
    });
  }
  bool waitForSize(std::size_t size, int timeoutMs = 5000) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_text.size() >= size; });
  }
  std::string text() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
  }
  std::size_t size() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text.size();
  }
  std::string matched() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_matched;
  }

  bool armed = false;
  int clears = 0;

private:
  void add(unsigned char byte, bool match) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text.push_back(static_cast<char>(byte));
    if (match) {
      m_matched.push_back(static_cast<char>(byte));
    }
    m_changed.notify_all();
  }
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::string m_text;
  std::string m_matched;
};

// An in-memory registry: keys and names compare case-insensitively.
class FakeRegistry final : public RegistryReader {
public:
  void setString(const std::string& key, const std::string& name, const std::string& data) {
    m_keys[lower(key)].strings.emplace_back(name, data);
    addParents(key);
  }
  void setDword(const std::string& key, const std::string& name, std::uint32_t value) {
    m_keys[lower(key)].dwords[lower(name)] = value;
    addParents(key);
  }
  void addKey(const std::string& key) {
    m_keys[lower(key)];
    addParents(key);
  }

  bool keyExists(const std::string& key) const override { return m_keys.count(lower(key)) != 0; }
  std::vector<std::string> subkeys(const std::string& key) const override {
    auto it = m_keys.find(lower(key));
    return it == m_keys.end() ? std::vector<std::string>{} : it->second.children;
  }
  std::vector<std::pair<std::string, std::string>> stringValues(const std::string& key) const override {
    auto it = m_keys.find(lower(key));
    return it == m_keys.end() ? std::vector<std::pair<std::string, std::string>>{} : it->second.strings;
  }
  std::optional<std::string> readString(const std::string& key, const std::string& name) const override {
    for (const auto& [n, d] : stringValues(key)) {
      if (lower(n) == lower(name)) {
        return d;
      }
    }
    return std::nullopt;
  }
  std::optional<std::uint32_t> readDword(const std::string& key, const std::string& name) const override {
    auto it = m_keys.find(lower(key));
    if (it == m_keys.end()) {
      return std::nullopt;
    }
    auto v = it->second.dwords.find(lower(name));
    return v == it->second.dwords.end() ? std::nullopt : std::optional<std::uint32_t>(v->second);
  }

private:
  struct Key {
    std::vector<std::string> children;
    std::vector<std::pair<std::string, std::string>> strings;
    std::map<std::string, std::uint32_t> dwords;
  };
  static std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
  }
  void addParents(const std::string& key) {
    const auto slash = key.rfind('\\');
    if (slash == std::string::npos) {
      return;
    }
    const std::string parent = key.substr(0, slash);
    Key& p = m_keys[lower(parent)];
    const std::string child = key.substr(slash + 1);
    if (std::find(p.children.begin(), p.children.end(), child) == p.children.end()) {
      p.children.push_back(child);
    }
    addParents(parent);
  }
  std::map<std::string, Key> m_keys;
};

} // namespace kiro::online::test
