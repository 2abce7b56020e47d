#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace rotaryn {

// Base of every object the registry creates (the COM objects of the host family).
class Component {
 public:
  Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;
  virtual ~Component() = default;
};

// Creates objects by programmatic identifier, as CreateObject does. Identifiers match without
// regard to case.
class ComponentRegistry {
 public:
  using Factory = std::function<std::shared_ptr<Component>()>;

  void registerFactory(const std::string& progId, Factory factory);
  bool has(const std::string& progId) const;
  // Raises error 429 "ActiveX component can't create object" for an unknown identifier or a
  // factory that returns nothing.
  std::shared_ptr<Component> create(const std::string& progId) const;

  // Creates and casts; raises 429 when the object lacks the interface.
  template <class Interface>
  std::shared_ptr<Interface> createAs(const std::string& progId) const {
    auto object = std::dynamic_pointer_cast<Interface>(create(progId));
    if (!object) raiseCantCreate(progId);
    return object;
  }

 private:
  [[noreturn]] static void raiseCantCreate(const std::string& progId);
  std::map<std::string, Factory> factories_;  // keyed by upper-case identifier
};

}  // namespace rotaryn
