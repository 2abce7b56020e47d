#pragma once

#include <QByteArray>

#include "host/plugin_description.h"
#include "plugin/plugin_calls.h"

// The plug-in's description as a host reads it, taken from the core linked in, so the fuzz
// targets need no built library to load.
inline const rotaryn::host::PluginDescription& describedPlugin() {
  static const rotaryn::host::PluginDescription description =
      rotaryn::host::PluginDescription::parse(QByteArray::fromStdString(
          rotaryn::Json{{"result", rotaryn::describeOperations()}}.dump()));
  return description;
}
