#pragma once

#include "ImageJob.h"
#include "JobReport.h"
#include "JobSettings.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
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

// Prepares the photos of a run on worker threads while the thread of the windows works through
// them in list order. A worker takes the next file only while fewer than `workers` files past the
// current turn are taken, so at most one prepared photo per worker waits. Each photo is prepared
// with the settings the windows announced last; at its turn the caller gets the result only if
// those are the settings of its turn and the job succeeded; otherwise (a changed setting, an
// error, a file no worker reached) the caller does the file itself, so that what the user sees
// and gets never depends on the workers.
class TPrefetcher {
 public:
  // files: the run's photos in order. wake is called on a worker thread whenever a result is
  // ready (to wake an event loop waiting in Take).
  TPrefetcher(QStringList files, int workers, std::function<void()> wake = {});
  ~TPrefetcher();
  TPrefetcher(const TPrefetcher&) = delete;
  TPrefetcher& operator=(const TPrefetcher&) = delete;

  // The settings for files taken from now on. No worker starts before the first call.
  void Announce(const TJobSettings& settings);

  // The turn of the next file of the list, which must be path (else nothing is returned and
  // the turn stays). Waits while a worker prepares it, calling pump in between (to handle the
  // caller's events; without one it just waits). Returns the result when it was made with
  // settings and succeeded.
  std::optional<TPrefetched> Take(const QString& path, const TJobSettings& settings,
                                  const std::function<void()>& pump = {});
  // The turn of the next file of the list passes without a result (not found, not overwritten).
  void Skip(const QString& path);

  // Nothing more is prepared; the workers drop what they do except the file of the current turn.
  void Cancel();

  // The number of worker threads for this machine: its cores, at most 8, or LUMVALE_THREADS
  // from the environment; 1 means no worker (the windows' thread does everything).
  static int DefaultThreads();

  // For the tests: files prepared so far, and the most files ever taken past the turn at once.
  int Prepared() const;
  int MostTakenAhead() const;

 private:
  struct Worker {
    std::atomic<bool> stop{false};
    int index = -1;  // the file it prepares, or -1
  };
  struct Slot {
    bool taken = false;
    bool done = false;
    TJobSettings settings;
    std::optional<TPrefetched> result;
  };
  void Work(Worker& self);
  void StopWorkersOn(int index);  // under lock_; every worker but the turn's when index < 0
  void AdvanceTurn();             // under lock_

  const QStringList files_;
  const int workers_;
  std::function<void()> wake_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  std::optional<TJobSettings> settings_;
  int next_ = 0;  // the next file a worker may take
  std::atomic<int> turn_{0};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> stopping_{false};
  int prepared_ = 0, mostAhead_ = 0;
  std::vector<std::unique_ptr<Worker>> workerStates_;
  std::vector<std::thread> threads_;
};

}  // namespace lumvale
