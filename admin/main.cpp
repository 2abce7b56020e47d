// rotaryn-admin: the remote administrator's tool; it talks to a host's remote API.
#include <QCoreApplication>
#include <cstdlib>
#include <iostream>

#include "admin/admin_commands.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  return rotaryn::admin::runAdmin(arguments, std::cout, std::cerr,
                                  [](const char* name) -> std::optional<std::string> {
                                    const char* value = std::getenv(name);
                                    if (value == nullptr) return std::nullopt;
                                    return std::string(value);
                                  });
}
