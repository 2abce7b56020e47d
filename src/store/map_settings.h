#pragma once

#include <cstdint>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// The profile's two settings of Maps.ini (see store/maps_ini.h), from the window and remotely.

// The window's check box and slider, for CurrentProfile; trapped under "chkAutoLoad" and
// "sldTimer". The slider also shows its time in Label15.
void chkAutoLoad_Click(Module& module);
void sldTimer_Change(Module& module);

// The host's and remote administrators' methods. No error trap: a failure goes back to the host
// as a failed call. SetAutoLoad and SetDisplayTimer write Data as text for profile Index, then
// add their admin-log line, and answer 0; neither touches the window. SetDisplayTimer fails
// after its write when Data is not a number.
int32_t SetAutoLoad(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data);
int32_t SetDisplayTimer(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data);

// Writes what the window shows (limit boxes as they stand, the current-rotation grid) into the
// "lastknownsettings.ini" of profile Index, in one replace of the file.
void SaveMapSettings(Module& module, int32_t Index);

}  // namespace rotaryn
