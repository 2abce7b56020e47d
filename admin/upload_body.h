#pragma once

#include <QByteArray>
#include <QIODevice>
#include <string>

namespace rotaryn::admin {

// The request body of an upload, {"data":"NAME|B/B/.../"}: the file's bytes each as decimal text
// followed by "/", made as the body is read rather than all at once. A file's text is about
// 3.6 times its size; only the file itself is held, and the text a read asks for.
// Random access: the network layer may rewind a body to send it again.
class UploadBody final : public QIODevice {
 public:
  // name: the file name as the plug-in spells it (Windows-1252).
  UploadBody(const std::string& name, QByteArray bytes);

  bool isSequential() const override { return false; }
  qint64 size() const override { return size_; }
  bool seek(qint64 position) override;

 protected:
  qint64 readData(char* data, qint64 maxSize) override;
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  // Moves the text position forward by up to count characters, copying them to out when given.
  qint64 advance(char* out, qint64 count);

  QByteArray head_;  // {"data":"NAME|
  QByteArray bytes_;
  qint64 size_ = 0;
  // Where the text stands: inside the head, inside the text of bytes_[byte_], or in the tail.
  qint64 at_ = 0;
  qsizetype byte_ = 0;
  int offset_ = 0;  // characters of the current piece already given
};

}  // namespace rotaryn::admin
