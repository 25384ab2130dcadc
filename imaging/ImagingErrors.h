#pragma once

#include "Exception.h"

namespace lumvale {

// Misuse of a bitmap operation, such as a missing source or destination.
class EBitmapException : public Exception {
 public:
  using Exception::Exception;
};

// A source rectangle that does not lie inside its bitmap.
class ESrcInvalidException : public Exception {
 public:
  using Exception::Exception;
};

// A picture file the loader cannot handle (an extension without a picture class).
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// An operation a picture class refuses (changing the size of a JPEG picture).
class EInvalidGraphicOperation : public Exception {
 public:
  using Exception::Exception;
};

// Any libjpeg error, and the adapter's own limits on what it will decode.
class EJPEG : public Exception {
 public:
  // A libjpeg error: its message code, and libjpeg's own text after it.
  EJPEG(int messageCode, const QString& libjpegText);
  explicit EJPEG(QString message) : Exception(std::move(message)) {}
  // libjpeg's message code, or -1 for the adapter's own errors.
  int MessageCode() const { return code_; }

 private:
  int code_ = -1;
};

// A HEIF file libheif cannot read, or the adapter's own limits on what it will decode. The
// message says what is wrong in the program's words, then libheif's own.
class EHEIF : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace lumvale
