#include "host/api/administrators.h"
#include "tests/api/built_plugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>

namespace rotaryn::host::api {
namespace {

using ::testing::HasSubstr;

const PrivilegeNames& offered() {
  return builtPlugin().privileges;
}

std::string fileText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(Administrators, AddingWritesTheTokensHashOnlyAndTheTokenFindsItsAdministrator) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString();
  const auto ann =
      addAdministrator(root, "Ann Lee", parsePrivileges("Skip Maps, Delete Tasks", offered()),
                       std::nullopt, offered());
  const auto bob = addAdministrator(root, "bob", parsePrivileges("Change Map List", offered()),
                                    std::set<int32_t>{2, 5}, offered());
  EXPECT_FALSE(ann.replaced);
  EXPECT_EQ(ann.token.size(), 64);
  EXPECT_NE(ann.token, bob.token);

  const std::string path = root + "/" + kAdministratorsFileName;
  const std::string text = fileText(path);
  EXPECT_EQ(text.find(ann.token.toStdString()), std::string::npos);
  EXPECT_THAT(text, HasSubstr("sha256:" + tokenHash(ann.token).toHex().toStdString()));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  const ApiSettings settings = readAdministrators(root, offered());
  ASSERT_EQ(settings.administrators.size(), 2u);
  const Administrator* found = findByToken(settings.administrators, ann.token);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->name, "Ann Lee");
  EXPECT_EQ(found->privileges, (std::set<std::string>{"Skip Maps", "Delete Tasks"}));
  EXPECT_TRUE(found->mayTouch(7));
  const Administrator* other = findByToken(settings.administrators, bob.token);
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(other->mayTouch(5));
  EXPECT_FALSE(other->mayTouch(1));
  EXPECT_EQ(findByToken(settings.administrators, ann.token.left(63)), nullptr);

  // Adding a name again replaces its entry: the old token stops working.
  const auto again = addAdministrator(root, "ANN LEE", parsePrivileges("Skip Maps", offered()),
                                      std::nullopt, offered());
  EXPECT_TRUE(again.replaced);
  const ApiSettings replaced = readAdministrators(root, offered());
  EXPECT_EQ(replaced.administrators.size(), 2u);
  EXPECT_EQ(findByToken(replaced.administrators, ann.token), nullptr);
  EXPECT_NE(findByToken(replaced.administrators, again.token), nullptr);
}

TEST(Administrators, ReadsTheApiSettingsAndRefusesABadFileNamingTheLine) {
  const ApiSettings settings = parseAdministrators(
      "[API]\nListen = 0.0.0.0:9000\nCertificate = c.pem\nKey = k.pem\nBodyLimit = 1024\n"
      "MaxConnections = 9\nMaxConnectionsPerAddress = 3\nHeadTimeout = 2\nMinBodyRate = 10\n"
      "KeepAliveTimeout = 4\n",
      "f", offered());
  EXPECT_EQ(settings.listen.host, "0.0.0.0");
  EXPECT_EQ(settings.listen.port, 9000);
  EXPECT_EQ(settings.limits.bodyLimit, 1024u);
  EXPECT_EQ(settings.limits.maxConnections, 9);
  EXPECT_EQ(settings.limits.maxConnectionsPerPeer, 3);
  EXPECT_EQ(settings.limits.headTimeoutMs, 2000);
  EXPECT_EQ(settings.limits.minBodyRate, 10u);
  EXPECT_EQ(settings.limits.keepAliveIdleMs, 4000);
  EXPECT_EQ(parseListenAddress("[::1]:0").host, "::1");
  // Without a Listen setting the API listens on loopback only.
  const ApiSettings defaults = parseAdministrators("[API]\nBodyLimit = 5\n", "f", offered());
  EXPECT_EQ(defaults.listen.host, "127.0.0.1");
  EXPECT_EQ(defaults.listen.port, kDefaultPort);

  const std::string token = "Token = sha256:" + std::string(64, 'a') + "\n";
  struct Case {
    std::string text;
    const char* problem;
  };
  const Case cases[] = {
      {"[API]\nListen = 127.0.0.1\n", "f:2: the address is ADDR:PORT"},
      {"[API]\nListen = 127.0.0.1:70000\n", "f:2: the port is a number"},
      {"[API]\nCertificate = c.pem\n", "f:0: TLS needs both"},
      {"[API]\nHeadTimeout = 0\n", "f:2: HeadTimeout is from 1 to 3600"},
      {"[API]\nMinBodyRate = 0\n", "f:2: MinBodyRate is at least 1"},
      {"[Administrator a]\n" + token + "Privileges = Root\n", "f:3: \"Root\" is not a privilege"},
      {"[Administrator a]\nPrivileges = Skip Maps\n", "has no Token"},
      {"[Administrator a]\nToken = abc\nPrivileges = Skip Maps\n", "f:2: Token is sha256:"},
      {"[Administrator a]\n" + token + "Privileges = Skip Maps\n[Administrator A]\n",
       "f:4: administrator \"A\" is named twice"},
      {"[Administrator a]\n" + token + "Privileges = Skip Maps\nProfiles = 0\n", "f:4: a profile"},
      {"[Admins]\n", "f:1: the sections are"},
      {"Listen = 1\n", "f:1: a setting before the first section"},
  };
  for (const Case& c : cases) {
    try {
      parseAdministrators(c.text, "f", offered());
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const AdministratorsFileError& error) {
      EXPECT_THAT(error.what(), HasSubstr(c.problem)) << c.text;
    }
  }
  EXPECT_THROW(addAdministrator("/nonexistent", "a]b", {"Skip Maps"}, std::nullopt, offered()),
               std::invalid_argument);
}

}  // namespace
}  // namespace rotaryn::host::api
