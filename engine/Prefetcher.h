#pragma once

#include "FileIdentity.h"
#include "ImageJob.h"
#include "JobReport.h"
#include "JobSettings.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lumvale {

// A photo prepared ahead of its turn, with what its job told on the way.
struct TPrefetched {
  TPreparedImage image;
  TRecordedReport report;
};

// The memory that results prepared ahead of the turn may hold (encoded bytes and the scaled
// pictures the previews are drawn from): about 29 photos fitted into 800 x 600. One thread holds
// the result of its turn; the workers hold at most this much more.
inline constexpr int64_t kLookaheadBudget = int64_t(64) << 20;

// Prepares the photos of a run on worker threads while the thread of the windows works through
// them in list order.
//
// Scheduling: a free worker takes the file of the turn when nobody has; past the turn it takes
// files only while the results that wait there, together with those being made (each counted
// as the largest result so far), stay within the budget, so that workers go on while the turn
// waits for a slow photo. One file past the turn is always allowed (before any result tells
// what one costs, only that one), so the bound is the budget or one result, whichever is more,
// and it grows only by what a result larger than every one before it adds. One worker less than all
// may take a file out of list order: a file whose work is at least twice the next one's in order
// (its size on disk, weighted for the slower decoders of HEIC and AVIF), among the files whose results would fill half the budget (before any result, the next
// 256), is started first, so that a run does not end with one core busy on its biggest photo.
//
// Results: each photo is prepared with the settings the windows announced last, and the file's
// identity is noted before it is read and checked after. At its turn the caller gets the result
// only if those are the settings of its turn, the job succeeded, and the file is still the one
// the worker read (not replaced, rewritten or touched meanwhile, by this run's own outputs or by
// anyone); otherwise the caller does the file itself, so that what the user sees and gets never
// depends on the workers.
class TPrefetcher {
 public:
  // files: the run's photos in order. wake is called on a worker thread whenever a result is
  // ready (to wake an event loop waiting in Take). Without keepPictures the results keep no
  // scaled picture (TPreparedImage::scaled is empty: no preview is shown), so that far more of
  // them fit into the budget.
  TPrefetcher(QStringList files, int workers, std::function<void()> wake = {},
              bool keepPictures = true, int64_t budget = kLookaheadBudget);
  ~TPrefetcher();
  TPrefetcher(const TPrefetcher&) = delete;
  TPrefetcher& operator=(const TPrefetcher&) = delete;

  // The settings for files taken from now on. No worker starts before the first call.
  void Announce(const TJobSettings& settings);

  // The turn of the next file of the list, which must be path (else nothing is returned and
  // the turn stays). Waits while a worker prepares it, calling pump in between (to handle the
  // caller's events; without one it just waits). Returns the result when it was made with
  // settings, succeeded, and was made from the file that path names now.
  std::optional<TPrefetched> Take(const QString& path, const TJobSettings& settings,
                                  const std::function<void()>& pump = {});
  // The turn of the next file of the list passes without a result (not found, not overwritten).
  void Skip(const QString& path);

  // Nothing more is prepared; the workers drop what they do except the file of the current turn.
  void Cancel();

  // The number of worker threads for this machine: its cores, at most 8, or LUMVALE_THREADS
  // from the environment; 1 means no worker (the windows' thread does everything).
  static int DefaultThreads();

  // For the tests: files prepared so far, the most files ever taken past the turn at once, the
  // most memory results past the turn ever held, and the order in which files were taken.
  int Prepared() const;
  int MostTakenAhead() const;
  int64_t MostHeldAhead() const;
  std::vector<int> TakenOrder() const;

 private:
  struct Worker {
    std::atomic<bool> stop{false};
    int index = -1;  // the file it prepares, or -1
  };
  struct Slot {
    bool taken = false;
    bool done = false;
    bool outOfOrder = false;  // taken past a file nobody had taken yet
    bool ahead = false;       // being made, past the turn
    int64_t work = -1;        // its size on disk weighted by its kind; -1: not looked at yet
    int64_t held = 0;         // the memory of its result while it waits
    TJobSettings settings;
    std::optional<TFileIdentity> identity;  // the file as the worker read it
    std::optional<TPrefetched> result;
  };
  void Work(Worker& self);
  // Under lock_: the file a free worker should take now, or -1.
  int Choose() const;
  bool Affordable(int results) const;  // under lock_
  bool OutOfOrderAllowed() const;      // under lock_
  void Arrive(Slot& slot);             // under lock_: a file in the making is past the turn no more
  int Horizon() const;
  // Looks up the sizes on disk the next choice needs, without the lock held. False when none
  // was missing.
  bool MeasureHorizon(std::unique_lock<std::mutex>& guard);
  void Drop(Slot& slot);          // under lock_: its result goes
  int64_t HeldAhead() const;      // under lock_
  void StopWorkersOn(int index);  // under lock_; every worker but the turn's when index < 0
  void AdvanceTurn();             // under lock_
  void SkipTakenFiles();          // under lock_: next_ to the first file nobody took

  const QStringList files_;
  const int workers_;
  std::function<void()> wake_;
  const bool keepPictures_;
  const int64_t budget_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  std::optional<TJobSettings> settings_;
  int next_ = 0;  // the first file at or past the turn that nobody took
  std::atomic<int> turn_{0};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> stopping_{false};
  int64_t held_ = 0;     // the memory of every result that waits
  int64_t largest_ = 0;  // the largest result so far
  int aheadInFlight_ = 0, outOfOrderInFlight_ = 0;
  int prepared_ = 0, mostAhead_ = 0;
  int64_t mostHeldAhead_ = 0;
  std::vector<int> takenOrder_;
  std::vector<std::unique_ptr<Worker>> workerStates_;
  std::vector<std::thread> threads_;
};

}  // namespace lumvale
