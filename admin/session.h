#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QJsonObject>
#include <QString>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <variant>

#include "admin/admin_client.h"
#include "formats/exchange_codec.h"

namespace rotaryn::admin {

inline constexpr const char* kDefaultHost = "http://127.0.0.1:8730";

// A command line the tool cannot run: exit 2, nothing sent.
class UsageError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// The options every command takes.
struct Options {
  QString host = kDefaultHost;
  QString tokenFile;
  QString caFile;
  bool json = false;
  std::optional<QString> scores;
  std::optional<QString> since;
};

// "1" and up; throws UsageError.
int profileOf(const QString& text);

// One run of the tool against a host: what the commands share to call it and to say what
// happened.
class Session {
 public:
  Session(const Options& options, QByteArray token, std::ostream& out, std::ostream& err);

  bool trust(const QString& file) { return client_.addCaCertificates(file); }

  const Options& options() const { return options_; }
  ApiClient& client() { return client_; }
  std::ostream& out() { return out_; }
  std::ostream& err() { return err_; }

  // Says why the host gave no answer and returns the exit code for it.
  int fail(const ApiAnswer& answer);
  void printJson(const QJsonObject& object);
  // The plug-in's reports during the call, when it made any (a failure it trapped, a message).
  void printReports(int profile, const ApiAnswer& answer);
  static QString reasonOf(const ApiAnswer& answer);

  // The decoded GetMapsRem answer, or the exit code of why there is none.
  std::variant<formats::exchange::MapsAnswer, int> fetchMaps(int profile);

  // An operation that changes something: the plug-in answers 1 when it did, 0 when not
  // (resultMeansDone false: the operation answers 0 in every case).
  // (quiet: nothing printed when it was done; the caller goes on to check what it did.)
  int change(int profile, const char* operation, const std::optional<QJsonValue>& data,
             const QString& done, bool resultMeansDone = true, bool quiet = false,
             QIODevice* body = nullptr);

 private:
  const Options& options_;
  ApiClient client_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace rotaryn::admin
