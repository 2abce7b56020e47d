#include "plugin/profiles.h"

#include "platform/vb_runtime.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

// Dimensions an undimensioned per-profile table with element 0 and grows it to index.
template <class T>
void growTo(std::vector<T>& table, int32_t index) {
  if (table.empty()) table.resize(1);
  if (static_cast<long>(table.size()) - 1 < index) table.resize(static_cast<size_t>(index) + 1);
}

}  // namespace

void RegisterProfile(Module& module, int32_t index, const Variant& PDAT) {
  if (index < 0) raiseVbError(vberr::kSubscriptOutOfRange);
  growTo(module.Profiles, index);
  growTo(module.AddressTables, index);

  // Convert every element before touching the record, so a bad PDAT leaves it as it was.
  ProfileRecord record;
  record.HostText0 = vb::CStr(PDAT.at(0));
  record.ServerType = vb::CStr(PDAT.at(1));
  record.ServerProcess = vb::CLng(PDAT.at(2));
  record.HostText3 = vb::CStr(PDAT.at(3));
  record.HostText4 = vb::CStr(PDAT.at(4));
  record.GameFolder = GameFolderOf(PDAT);
  record.MessageTarget = vb::CLng(PDAT.at(6));
  record.ProfileFolder = vb::CStr(PDAT.at(7));
  record.IsAffiliate = vb::Right(record.ServerType, 4) == "_AFF";
  module.Profiles[static_cast<size_t>(index)] = std::move(record);

  SetMemory(module, index, module.Profiles[static_cast<size_t>(index)].IsAffiliate);
  module.CurrentProfile = index;
}

std::string GameFolderOf(const Variant& PDAT) {
  return vb::CStr(PDAT.at(5));
}

}  // namespace rotaryn
