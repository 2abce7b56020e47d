#include "components/fennor/cls_mfd.h"

#include <array>
#include <cstdio>
#include <memory>
#include <utility>

#include "formats/base64.h"
#include "formats/deflate.h"
#include "platform/vb_runtime.h"

namespace rotaryn {

namespace {

constexpr const char* kCrLf = "\r\n";

[[noreturn]] void corrupt(const std::string& why) {
  raiseVbError(vberr::kInvalidCall, "DecompressString: " + why);
}

std::string twoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// Keeps one record on one line.
std::string oneLine(std::string text, char replacement) {
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = replacement;
  }
  return text;
}

}  // namespace

clsMFD::clsMFD(FileSystem& files, Clock& clock, std::string hostRoot)
    : files_(files), clock_(clock), hostRoot_(std::move(hostRoot)), ini_(files) {
  while (!hostRoot_.empty() && (hostRoot_.back() == '\\' || hostRoot_.back() == '/')) {
    hostRoot_.pop_back();
  }
}

std::string clsMFD::GetIniKey(const std::string& section, const std::string& key,
                              std::string& file) {
  return ini_.read(file, section, key);
}

std::vector<std::string> clsMFD::GetAllIniSections(std::string& file) {
  return ini_.sectionNames(file);
}

std::vector<std::string> clsMFD::GetIniSection(const std::string& section, std::string& file) {
  return ini_.sectionLines(file, section);
}

std::string clsMFD::ParseIniKey(const std::string& line, bool /*flag*/) {
  size_t equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

void clsMFD::AppendFile(const std::string& path, const std::string& text) {
  files_.Append(path, text + kCrLf);
}

void clsMFD::WriteFile(const std::string& path, std::vector<std::string>& lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + kCrLf;
  files_.ReplaceScratch(path, bytes);
}

std::vector<std::string> clsMFD::ReadFile(const std::string& path) {
  std::string bytes = files_.ReadAll(path);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t newline = bytes.find('\n', start);
    if (newline == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    size_t end = (newline > start && bytes[newline - 1] == '\r') ? newline - 1 : newline;
    lines.push_back(bytes.substr(start, end - start));
    start = newline + 1;
  }
  return lines;
}

std::string clsMFD::CompressString(std::string& text) {
  try {
    return formats::encodeBase64(formats::deflateBytes(text));
  } catch (const formats::ZlibError& error) {
    raiseVbError(vberr::kOutOfMemory, std::string("CompressString: ") + error.what());
  }
}

std::string clsMFD::DecompressString(const std::string& compressed, int32_t length) {
  if (length < 0) corrupt("negative length " + std::to_string(length));
  std::string stream;
  try {
    stream = formats::decodeBase64(compressed);
  } catch (const formats::Base64Error& error) {
    corrupt(error.what());
  }
  formats::Inflated inflated = formats::inflateExactly(stream, length);
  if (!inflated.problem.empty()) corrupt(inflated.problem);
  return std::move(inflated.text);
}

void clsMFD::LogError(const std::string& module, std::string& procedure, const VbError& error,
                      int32_t& line) {
  DateTime now = clock_.now();
  std::string record = std::to_string(now.year) + "-" + twoDigits(now.month) + "-" +
                       twoDigits(now.day) + " " + twoDigits(now.hour) + ":" +
                       twoDigits(now.minute) + ":" + twoDigits(now.second);
  for (const std::string& field : {module, procedure, "Error " + std::to_string(error.number()),
                                   error.description(), "Line " + std::to_string(line)}) {
    record += '\t' + oneLine(field, ' ');
  }
  files_.Append(logFolder("") + "\\errors.log", record + kCrLf);
}

bool clsMFD::SendErrorReport(std::vector<Variant>& values) {
  static constexpr std::array<const char*, 6> kKeys = {"Number",    "Description", "Module",
                                                       "Procedure", "IsAffiliate", "Line"};
  try {
    if (values.size() != kKeys.size()) return false;
    std::string text = std::string("[ErrorReport]") + kCrLf;
    for (size_t i = 0; i < kKeys.size(); ++i) {
      text += std::string(kKeys[i]) + "=" + oneLine(vb::CStr(values[i]), ' ') + kCrLf;
    }
    std::string folder = logFolder("outbox");
    DateTime now = clock_.now();
    std::string stamp = std::to_string(now.year) + twoDigits(now.month) + twoDigits(now.day) + "-" +
                        twoDigits(now.hour) + twoDigits(now.minute) + twoDigits(now.second);
    std::string path;
    do {
      path = folder + "\\report-" + stamp + "-" + std::to_string(++reportCounter_) + ".txt";
    } while (files_.FileExists(path));
    files_.ReplaceAll(path, text);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string clsMFD::logFolder(const std::string& sub) {
  std::string folder = hostRoot_ + "\\logs";
  if (!files_.FolderExists(folder)) files_.CreateFolder(folder);
  if (!sub.empty()) {
    folder += "\\" + sub;
    if (!files_.FolderExists(folder)) files_.CreateFolder(folder);
  }
  return folder;
}

void registerFennor(ComponentRegistry& registry, FileSystem& files, Clock& clock,
                    std::string hostRoot) {
  registry.registerFactory(kUtilityProgId, [&files, &clock, hostRoot = std::move(hostRoot)] {
    return std::make_shared<clsMFD>(files, clock, hostRoot);
  });
}

}  // namespace rotaryn
