#include "Prefetcher.h"

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>

namespace lumvale {

int TPrefetcher::DefaultThreads() {
  bool ok = false;
  const int forced = qEnvironmentVariableIntValue("LUMVALE_THREADS", &ok);
  if (ok && forced >= 1) return std::min(forced, 64);
  const int cores = int(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, 8);
}

TPrefetcher::TPrefetcher(QStringList files, int workers, std::function<void()> wake)
    : files_(std::move(files)), workers_(std::max(workers, 1)), wake_(std::move(wake)) {
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

void TPrefetcher::AdvanceTurn() {
  const int i = turn_.load();
  turn_ = i + 1;
  next_ = std::max(next_, i + 1);
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
  slot.result.reset();
  AdvanceTurn();
  guard.unlock();
  changed_.notify_all();
  return result;
}

void TPrefetcher::Skip(const QString& path) {
  {
    std::lock_guard guard(lock_);
    const int i = turn_.load();
    if (i >= int(files_.size()) || files_[i] != path) return;
    slots_[size_t(i)].taken = true;
    slots_[size_t(i)].result.reset();
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
    for (size_t i = size_t(turn_.load()) + 1; i < slots_.size(); ++i) slots_[i].result.reset();
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

void TPrefetcher::Work(Worker& self) {
  std::unique_lock guard(lock_);
  for (;;) {
    changed_.wait(guard, [&] {
      return stopping_ || cancelled_ ||
             (settings_ && next_ < int(files_.size()) && next_ < turn_.load() + workers_);
    });
    if (stopping_ || cancelled_) return;
    const int i = next_++;
    Slot& slot = slots_[size_t(i)];
    if (slot.taken) continue;  // its turn came before a worker reached it
    slot.taken = true;
    slot.settings = *settings_;
    mostAhead_ = std::max(mostAhead_, i - turn_.load() + 1);
    const TJobSettings settings = *settings_;
    const QString path = files_[i];
    self.index = i;
    self.stop = false;
    guard.unlock();

    std::optional<TPrefetched> result;
    try {
      TPrefetched prefetched;
      prefetched.image = PrepareImage(path, settings, prefetched.report, &self.stop);
      result = std::move(prefetched);
    } catch (...) {
      // The file is done again at its turn, where its error reaches the user as it would have.
    }

    guard.lock();
    self.index = -1;
    slot.done = true;
    // After a cancel only the file of the current turn is still wanted.
    if (i >= turn_.load() && (!cancelled_ || i == turn_.load())) {
      slot.result = std::move(result);
      ++prepared_;
    }
    guard.unlock();
    changed_.notify_all();
    if (wake_) wake_();
    result.reset();
    guard.lock();
  }
}

}  // namespace lumvale
