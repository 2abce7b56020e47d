#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/vb_error.h"

namespace rotaryn {

// A VB Collection: insertion-ordered items, reached by 1-based position or by an optional text
// key matched without regard to case. A missing key raises error 5, a position out of range
// error 9, a duplicate key error 457.
template <class T>
class Collection {
 public:
  void add(std::string key, T value) {
    std::string folded = fold(key);
    if (index_.count(folded)) raiseVbError(vberr::kKeyAlreadyAssociated);
    index_.emplace(std::move(folded), items_.size());
    items_.push_back({std::move(key), std::move(value)});
  }
  void add(T value) { items_.push_back({std::nullopt, std::move(value)}); }

  const T& item(const std::string& key) const { return items_[find(key)].value; }
  T& item(const std::string& key) { return items_[find(key)].value; }
  const T& item(long position) const { return items_[checked(position)].value; }
  T& item(long position) { return items_[checked(position)].value; }
  bool contains(const std::string& key) const { return index_.count(fold(key)) != 0; }

  long count() const { return static_cast<long>(items_.size()); }
  bool empty() const { return items_.empty(); }
  void clear() {
    items_.clear();
    index_.clear();
  }
  void remove(long position) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(checked(position)));
    reindex();
  }
  void remove(const std::string& key) { remove(static_cast<long>(find(key)) + 1); }

  // Key of the item at a 1-based position ("" for an item added without one).
  std::string keyAt(long position) const { return items_[checked(position)].key.value_or(""); }
  // Values in order, for iteration.
  std::vector<T> values() const {
    std::vector<T> out;
    out.reserve(items_.size());
    for (const auto& entry : items_) out.push_back(entry.value);
    return out;
  }

 private:
  struct Entry {
    std::optional<std::string> key;
    T value;
  };
  static std::string fold(const std::string& key) {
    std::string out = key;
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
  }
  size_t find(const std::string& key) const {
    auto it = index_.find(fold(key));
    if (it == index_.end()) raiseVbError(vberr::kInvalidCall);
    return it->second;
  }
  size_t checked(long position) const {
    if (position < 1 || position > count()) raiseVbError(vberr::kSubscriptOutOfRange);
    return static_cast<size_t>(position - 1);
  }
  void reindex() {
    index_.clear();
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].key) index_.emplace(fold(*items_[i].key), i);
    }
  }

  std::vector<Entry> items_;
  std::unordered_map<std::string, size_t> index_;
};

}  // namespace rotaryn
