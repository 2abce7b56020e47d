#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"
#include "plugin/json_values.h"

namespace rotaryn {

struct Module;

// What a remote administrator's tool reads of a profile's own files, for a host that describes
// the profile by its PDAT (folder: element 7; one admin log for the host: element 11). They
// read only: nothing is registered, the current profile stays, and nothing is written.

// The saved map lists (*.mpl) of the profile's settings folder, by name, in the file system's
// order; none when the folder is missing.
Json mapListNames(Module& module, const Variant& PDAT);

// The profile's tasks in the task file's order: [{"when":"dd/mm/yyyy hh:mm:ss","file":...,
// "frequency":...}]. A task missing its file or frequency is listed with it empty, so it can be
// seen and deleted.
Json taskList(Module& module, const Variant& PDAT);

// The last `last` lines of the admin log of day "yyyy-mm-dd" (error 5 for another form):
// {"lines":[...],"total":N}, N the lines of the day; no lines when there is no log that day.
Json adminLogLines(Module& module, const Variant& PDAT, const std::string& day, int64_t last);

}  // namespace rotaryn
