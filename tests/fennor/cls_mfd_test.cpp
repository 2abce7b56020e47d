#include "components/fennor/cls_mfd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "platform/adapters/windows_file_system.h"
#include "tests/platform/vb_error_of.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {
namespace {

class FixedClock final : public Clock {
 public:
  DateTime now() const override { return {2026, 12, 4, 20, 15, 3}; }
  int64_t monotonicMs() const override { return 0; }
};

class ClsMfdTest : public ::testing::Test {
 protected:
  ScratchFolder root;
  WindowsFileSystem files{{{'C', root.path()}}};
  FixedClock clock;
  clsMFD utility{files, clock, "C:\\host\\"};

  void SetUp() override { std::filesystem::create_directory(root / "host"); }

  std::string roundTrip(std::string text) {
    std::string packed = utility.CompressString(text);
    return utility.DecompressString(packed, static_cast<int32_t>(text.size()));
  }
  std::vector<std::string> outbox() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root / "host/logs/outbox")) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(ClsMfdTest, WriteFileAndReadFileKeepLines) {
  std::vector<std::string> lines{"1[-]0[-]a.bms", "", "last"};
  utility.WriteFile("C:\\host\\tmpmaplist.txt", lines);
  EXPECT_EQ(root.read("host/tmpmaplist.txt"), "1[-]0[-]a.bms\r\n\r\nlast\r\n");
  EXPECT_EQ(utility.ReadFile("C:\\host\\TMPMAPLIST.TXT"), lines);

  root.write("host/lf.txt", "a\nb\r\nc");
  EXPECT_EQ(utility.ReadFile("C:\\host\\lf.txt"), (std::vector<std::string>{"a", "b", "c"}));
  root.write("host/empty.txt", "");
  EXPECT_TRUE(utility.ReadFile("C:\\host\\empty.txt").empty());
  std::vector<std::string> none;
  utility.WriteFile("C:\\host\\empty.txt", none);
  EXPECT_EQ(root.read("host/empty.txt"), "");
  EXPECT_EQ(errorOf([&] { utility.ReadFile("C:\\host\\missing.txt"); }), 53);
}

TEST_F(ClsMfdTest, CompressionRoundTripsAnyBytesAsPrintableText) {
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(roundTrip(all), all);
  EXPECT_EQ(roundTrip(""), "");

  std::mt19937 random(7);
  std::string large;
  for (int i = 0; i < 3'000'000; ++i) {
    large += i % 3 ? static_cast<char>(random()) : "map[-]"[i % 6];
  }
  EXPECT_EQ(roundTrip(large), large);

  std::string packed = utility.CompressString(all);
  EXPECT_TRUE(std::all_of(packed.begin(), packed.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=';
  }));
}

TEST_F(ClsMfdTest, DecompressStringRefusesWrongLengthOrDamagedText) {
  std::string text = "0[-]1[-]mission.bms\r\n" + std::string(500, 'x');
  std::string packed = utility.CompressString(text);
  int32_t length = static_cast<int32_t>(text.size());
  EXPECT_EQ(errorOf([&] { utility.DecompressString(packed, length - 1); }), 5);
  EXPECT_EQ(errorOf([&] { utility.DecompressString(packed, length + 1); }), 5);
  EXPECT_EQ(errorOf([&] { utility.DecompressString(packed, -1); }), 5);
  EXPECT_EQ(errorOf([&] { utility.DecompressString(packed.substr(0, 12), length); }), 5);
  EXPECT_EQ(errorOf([&] { utility.DecompressString("not base64!", length); }), 5);
  // The project's one codec, named by the utility's member.
  EXPECT_EQ(errorTextOf([&] { utility.DecompressString("eJz*", length); }),
            "DecompressString: the text is not base 64: character 42 at position 4");
  EXPECT_EQ(errorOf([&] { utility.DecompressString(packed + "AAAA", length); }), 5);
  std::string damaged = packed;
  damaged[10] = damaged[10] == 'A' ? 'B' : 'A';
  EXPECT_EQ(errorOf([&] { utility.DecompressString(damaged, length); }), 5);
  // A transport that wrapped the text into lines does no harm.
  EXPECT_EQ(utility.DecompressString(packed.substr(0, 8) + "\r\n" + packed.substr(8), length),
            text);
}

TEST_F(ClsMfdTest, SendErrorReportWritesOneUniqueFilePerReport) {
  std::vector<Variant> values{"91", "Object not set", "twkRotaryn.dll 1.4.5", "cmdPlay",
                              true, int32_t{12}};
  EXPECT_TRUE(utility.SendErrorReport(values));
  EXPECT_TRUE(utility.SendErrorReport(values));
  auto names = outbox();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(root.read("host/logs/outbox/" + names[0]),
            "[ErrorReport]\r\nNumber=91\r\nDescription=Object not set\r\n"
            "Module=twkRotaryn.dll 1.4.5\r\nProcedure=cmdPlay\r\nIsAffiliate=True\r\nLine=12\r\n");

  // Another object in the same second does not overwrite the first one's report.
  clsMFD other{files, clock, "C:\\host"};
  EXPECT_TRUE(other.SendErrorReport(values));
  EXPECT_EQ(outbox().size(), 3u);
}

TEST_F(ClsMfdTest, SendErrorReportReturnsFalseInsteadOfRaising) {
  std::vector<Variant> values{"91", "d", "m", "p", false, int32_t{1}};
  clsMFD homeless{files, clock, "C:\\nohost"};
  EXPECT_FALSE(homeless.SendErrorReport(values));

  root.write("host/logs/outbox", "a file where the folder should be");
  EXPECT_FALSE(utility.SendErrorReport(values));
  std::vector<Variant> tooFew{"91"};
  EXPECT_FALSE(utility.SendErrorReport(tooFew));
}

}  // namespace
}  // namespace rotaryn
