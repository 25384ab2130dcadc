#include "Prefetcher.h"

#include "Graphic.h"

#include <QtGlobal>

#include <algorithm>
#include <utility>

namespace lumvale {

namespace {

// What a waiting result holds in memory.
int64_t Held(const TPrefetched& prefetched) {
  int64_t bytes = int64_t(prefetched.image.bytes.capacity());
  if (const TBitmap32* scaled = prefetched.image.scaled.get()) {
    bytes += int64_t(scaled->Width()) * scaled->Height() * int64_t(sizeof(TColor32));
  }
  return bytes;
}

}  // namespace

int TPrefetcher::DefaultThreads() {
  bool ok = false;
  const int forced = qEnvironmentVariableIntValue("LUMVALE_THREADS", &ok);
  if (ok && forced >= 1) return std::min(forced, 64);
  const int cores = int(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, 8);
}

TPrefetcher::TPrefetcher(QStringList files, int workers, std::function<void()> wake,
                         bool keepPictures, int64_t budget)
    : files_(std::move(files)),
      workers_(std::max(workers, 1)),
      wake_(std::move(wake)),
      keepPictures_(keepPictures),
      budget_(std::max<int64_t>(budget, 1)) {
  slots_.resize(size_t(files_.size()));
  for (int i = 0; i < workers_; ++i) {
    workerStates_.push_back(std::make_unique<Worker>());
    threads_.emplace_back([this, state = workerStates_.back().get()] { Work(*state); });
  }
}

TPrefetcher::~TPrefetcher() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
    for (auto& w : workerStates_) w->stop = true;
  }
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void TPrefetcher::Announce(const TJobSettings& settings) {
  {
    std::lock_guard guard(lock_);
    settings_ = settings;
  }
  changed_.notify_all();
}

void TPrefetcher::StopWorkersOn(int index) {
  for (auto& w : workerStates_) {
    if (index >= 0 ? w->index == index : w->index != turn_.load()) w->stop = true;
  }
}

void TPrefetcher::SkipTakenFiles() {
  while (next_ < int(slots_.size()) && slots_[size_t(next_)].taken) ++next_;
}

void TPrefetcher::AdvanceTurn() {
  const int i = turn_.load();
  turn_ = i + 1;
  next_ = std::max(next_, i + 1);
  SkipTakenFiles();
  // A file being made when its turn comes is no longer past the turn.
  if (i + 1 < int(slots_.size())) Arrive(slots_[size_t(i + 1)]);
}

void TPrefetcher::Arrive(Slot& slot) {
  if (!slot.ahead) return;
  slot.ahead = false;
  --aheadInFlight_;
}

void TPrefetcher::Drop(Slot& slot) {
  held_ -= slot.held;
  slot.held = 0;
  slot.result.reset();
}

int64_t TPrefetcher::HeldAhead() const {
  const int turn = turn_.load();
  return held_ - (turn < int(slots_.size()) ? slots_[size_t(turn)].held : 0);
}

// Whether the results past the turn, those that wait and those being made (each counted as the
// largest result so far), leave room for that many more. One file past the turn is always
// allowed, whatever it costs; before any result tells what one costs, only that one.
bool TPrefetcher::Affordable(int results) const {
  const int64_t ahead = HeldAhead() + aheadInFlight_ * largest_;
  if (ahead == 0 && aheadInFlight_ == 0) {
    if (results == 1 || largest_ == 0) return true;
  } else if (largest_ == 0) {
    return false;
  }
  return ahead + results * largest_ <= budget_;
}

// The files a worker may take out of order: as many as half the budget holds, so that results
// made out of order leave room for those in order (before any result tells what one costs, the
// most). A scan of more would cost more than it finds.
int TPrefetcher::Horizon() const {
  constexpr int64_t most = 256;
  const int64_t fit = largest_ > 0 ? budget_ / (2 * largest_) : most;
  return int(std::clamp<int64_t>(fit, workers_, most));
}

// One worker at least stays in list order, and the budget keeps room for it, so that the turn
// keeps moving.
bool TPrefetcher::OutOfOrderAllowed() const {
  return next_ < int(files_.size()) && next_ != turn_.load() &&
         outOfOrderInFlight_ < workers_ - 1 && Affordable(2);
}

int TPrefetcher::Choose() const {
  const int n = int(files_.size());
  if (next_ >= n) return -1;
  if (next_ == turn_.load()) return next_;  // the turn waits for it
  if (!Affordable(1)) return -1;
  if (!OutOfOrderAllowed()) return next_;
  const int64_t front = slots_[size_t(next_)].work;
  if (front < 0) return next_;
  int largest = next_;
  const int end = std::min(n, next_ + Horizon());
  for (int j = next_ + 1; j < end; ++j) {
    const Slot& slot = slots_[size_t(j)];
    if (!slot.taken && slot.work > slots_[size_t(largest)].work) largest = j;
  }
  return slots_[size_t(largest)].work >= 2 * std::max<int64_t>(front, 1) ? largest : next_;
}

bool TPrefetcher::MeasureHorizon(std::unique_lock<std::mutex>& guard) {
  if (!OutOfOrderAllowed()) return false;
  const int n = int(files_.size());
  std::vector<std::pair<int, QString>> missing;
  for (int j = next_, end = std::min(n, next_ + Horizon()); j < end; ++j) {
    if (!slots_[size_t(j)].taken && slots_[size_t(j)].work < 0)
      missing.emplace_back(j, files_[j]);
  }
  if (missing.empty()) return false;
  guard.unlock();
  std::vector<int64_t> sizes;
  sizes.reserve(missing.size());
  for (const auto& [j, path] : missing) {
    const std::optional<TFileIdentity> file = TFileIdentity::Of(path);
    sizes.push_back(file ? file->size * DecodeWeight(path) : 0);
  }
  guard.lock();
  for (size_t k = 0; k < missing.size(); ++k) slots_[size_t(missing[k].first)].work = sizes[k];
  return true;
}

std::optional<TPrefetched> TPrefetcher::Take(const QString& path, const TJobSettings& settings,
                                             const std::function<void()>& pump) {
  std::unique_lock guard(lock_);
  const int i = turn_.load();
  if (i >= int(files_.size()) || files_[i] != path) return std::nullopt;
  Slot& slot = slots_[size_t(i)];
  if (slot.taken) {
    while (!slot.done) {
      if (!pump) {
        changed_.wait(guard);
        continue;
      }
      guard.unlock();
      pump();
      guard.lock();
    }
  }
  slot.taken = true;  // a worker that has not reached it yet leaves it alone
  std::optional<TPrefetched> result;
  if (slot.result && slot.settings == settings) result = std::move(slot.result);
  const std::optional<TFileIdentity> read = slot.identity;
  Drop(slot);
  AdvanceTurn();
  guard.unlock();
  changed_.notify_all();
  // An earlier turn's output, or anyone, may have replaced or changed the file since it was
  // read: then it is done again as it is now, as one thread would do it.
  if (result && TFileIdentity::Of(path) != read) result.reset();
  return result;
}

void TPrefetcher::Skip(const QString& path) {
  {
    std::lock_guard guard(lock_);
    const int i = turn_.load();
    if (i >= int(files_.size()) || files_[i] != path) return;
    slots_[size_t(i)].taken = true;
    Drop(slots_[size_t(i)]);
    StopWorkersOn(i);
    AdvanceTurn();
  }
  changed_.notify_all();
}

void TPrefetcher::Cancel() {
  {
    std::lock_guard guard(lock_);
    cancelled_ = true;
    StopWorkersOn(-1);
    for (size_t i = size_t(turn_.load()) + 1; i < slots_.size(); ++i) Drop(slots_[i]);
  }
  changed_.notify_all();
}

int TPrefetcher::Prepared() const {
  std::lock_guard guard(lock_);
  return prepared_;
}

int TPrefetcher::MostTakenAhead() const {
  std::lock_guard guard(lock_);
  return mostAhead_;
}

int64_t TPrefetcher::MostHeldAhead() const {
  std::lock_guard guard(lock_);
  return mostHeldAhead_;
}

std::vector<int> TPrefetcher::TakenOrder() const {
  std::lock_guard guard(lock_);
  return takenOrder_;
}

void TPrefetcher::Work(Worker& self) {
  std::unique_lock guard(lock_);
  for (;;) {
    changed_.wait(guard, [&] { return stopping_ || cancelled_ || (settings_ && Choose() >= 0); });
    if (stopping_ || cancelled_) return;
    if (MeasureHorizon(guard)) continue;  // the lock was let go meanwhile: choose anew
    const int i = Choose();
    Slot& slot = slots_[size_t(i)];
    const int turn = turn_.load();
    slot.taken = true;
    slot.settings = *settings_;
    slot.outOfOrder = i != next_;
    if (slot.outOfOrder) ++outOfOrderInFlight_;
    if (i > turn) {
      slot.ahead = true;
      ++aheadInFlight_;
    }
    SkipTakenFiles();
    takenOrder_.push_back(i);
    mostAhead_ = std::max(mostAhead_, i - turn + 1);
    const TJobSettings settings = *settings_;
    const QString path = files_[i];
    self.index = i;
    self.stop = false;
    guard.unlock();

    // The identity before the read and after it: a file changed while it was read is not used.
    const std::optional<TFileIdentity> identity = TFileIdentity::Of(path);
    std::optional<TPrefetched> result;
    try {
      TPrefetched prefetched;
      prefetched.image = PrepareImage(path, settings, prefetched.report, &self.stop);
      result = std::move(prefetched);
    } catch (...) {
      // The file is done again at its turn, where its error reaches the user as it would have.
    }
    if (!identity || TFileIdentity::Of(path) != identity) result.reset();
    if (result && !keepPictures_) result->image.scaled.reset();
    const int64_t held = result ? Held(*result) : 0;

    guard.lock();
    self.index = -1;
    slot.done = true;
    if (slot.outOfOrder) --outOfOrderInFlight_;
    Arrive(slot);
    largest_ = std::max(largest_, held);
    // After a cancel only the file of the current turn is still wanted.
    if (result && i >= turn_.load() && (!cancelled_ || i == turn_.load())) {
      slot.result = std::move(result);
      slot.identity = identity;
      slot.held = held;
      held_ += held;
      ++prepared_;
      mostHeldAhead_ = std::max(mostHeldAhead_, HeldAhead());
    }
    guard.unlock();
    changed_.notify_all();
    if (wake_) wake_();
    result.reset();
    guard.lock();
  }
}

}  // namespace lumvale
