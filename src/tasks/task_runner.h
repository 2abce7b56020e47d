#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/vb_date.h"

namespace rotaryn {

struct Module;
class IUtility;

// Whether a task dated taskDate ("dd/mm/yyyy") with this frequency is due today, in a minute
// its time matches. "Once" on its date; "Every Day" from its date on; "Every Week" from its
// date on, on its weekday; "Every Month" from its date on, on its day of the month (a task of
// the 31st runs only in months that have one); anything else never. A date text that is no
// date raises 13.
bool taskIsDue(const std::string& taskDate, const std::string& frequency, const DateTime& today);

struct DueTask {
  std::string section;
  std::string file;
};

// The first task of the file, in file order, due in the minute of `now`; none when the file
// is missing or nothing is due. Reads the file through the utility component's section calls:
// the section list once, and the lines only of sections whose time is in this minute.
std::optional<DueTask> findDueTask(IUtility& utility, const std::string& taskFile,
                                   const DateTime& now);

// A map-list file's name: ".mpl" in any case.
bool isMapListName(const std::string& name);

// The list file a "Random" task loads: among the folder's entries, in their order, the
// list file (".mpl", any case) numbered `draw` from 0; none when there are fewer.
std::optional<std::string> randomListFile(const std::vector<std::string>& entries, int draw);

// One tick of the profile's task timer: the due task's list is loaded into the window's
// current list (of the profile shown) and written into that profile's server with a silent
// Update Maps. Failures go to the error report under "tmrMapTasks". A due task is reported to the
// host's event port as task_run, and as task_failed as well when its rotation was not written.
void tmrMapTasks_Timer(Module& module, int32_t index);

}  // namespace rotaryn
