#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"
#include "platform/vb_date.h"

namespace rotaryn {

struct Module;

inline constexpr const char* kRandomList = "Random";
inline constexpr const char* kTaskTaken =
    "You already have a task scheduled for this date and time!";
inline constexpr const char* kTaskAdded = "Task Added Successfully";
inline constexpr const char* kTaskEdited = "Task Edited Successfully";
inline constexpr const char* kSelectTaskToEdit = "Please select a task to edit!";
inline constexpr const char* kDeleteTaskQuestion = "Delete the selected Task?";
inline constexpr const char* kConfirmationTitle = "Confirmation Required!";

// "dd/mm/yyyy hh:mm:ss": the date of the one picker and the time of the other, the task's
// section name and identity.
std::string taskSectionName(const DateTime& date, const DateTime& time);

// The remote task operations: 1 when the change was made, 0 after a failure (reported, with no
// admin-log line). Add and edit overwrite a task already at the new date and time.
// AddTaskRem: base 64 of "section|file|frequency".
int32_t AddTaskRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data);
// EditTaskRem: base 64 of "old section|new section|file|frequency".
int32_t EditTaskRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data);
// DeleteTaskRem: the section name as plain text.
int32_t DeleteTaskRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data);

}  // namespace rotaryn
