#include "Persistent.h"

#include "Exception.h"

namespace lumvale {

void TNotifiablePersistent::NotifyChanged() {
  if (updateCount_ == 0 && OnChange) OnChange(*this);
}

void TNotifiablePersistent::EndChange() {
  if (updateCount_ <= 0) {
    throw Exception(QStringLiteral("EndChange without a matching BeginChange"));
  }
  --updateCount_;
}

}  // namespace lumvale
