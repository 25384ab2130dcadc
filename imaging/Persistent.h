#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace lumvale {

// An object that tells listeners of its changes, unless changes are batched between
// BeginChange and EndChange.
class TNotifiablePersistent {
 public:
  virtual ~TNotifiablePersistent() = default;

  // Calls OnChange while no change is under way (the update counter is 0).
  virtual void NotifyChanged();
  virtual void BeginChange() { ++updateCount_; }
  // Throws when no BeginChange is open; notifies nobody by itself.
  virtual void EndChange();

  int UpdateCount() const { return updateCount_; }
  std::function<void(TNotifiablePersistent&)> OnChange;

 private:
  int updateCount_ = 0;
};

// Adds a lock that the display takes around painting.
class TThreadPersistent : public TNotifiablePersistent {
 public:
  void Lock() {
    mutex_.lock();
    ++lockCount_;
  }
  void Unlock() {
    --lockCount_;
    mutex_.unlock();
  }
  int LockCount() const { return lockCount_; }

 private:
  std::recursive_mutex mutex_;
  std::atomic<int> lockCount_{0};
};

// A two-dimensional map with a width and a height, both never negative.
class TCustomMap : public TThreadPersistent {
 public:
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 protected:
  void SetSize(int32_t width, int32_t height) {
    width_ = width;
    height_ = height;
  }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace lumvale
