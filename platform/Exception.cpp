#include "Exception.h"

#include <utility>

namespace lumvale {

Exception::Exception(QString message)
    : message_(std::move(message)), utf8_(message_.toUtf8().toStdString()) {}

}  // namespace lumvale
