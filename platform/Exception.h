#pragma once

#include <QString>

#include <exception>
#include <string>

namespace lumvale {

// The base of every error the program raises: it carries the message a user sees.
class Exception : public std::exception {
 public:
  explicit Exception(QString message);
  const QString& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  QString message_;
  std::string utf8_;
};

// A quiet end of an operation that is not an error (a progress handler stopping an encoder).
class EAbort : public Exception {
 public:
  EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// A file could not be opened, read or written; the message names the file and the reason.
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace lumvale
