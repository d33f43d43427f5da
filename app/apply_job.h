// One Apply on a worker thread. The job owns everything it writes: its own
// engine (the dialog's shape and parameters, and the job's assist cache
// lent for the run) and its own picture; the one thing it shares is the
// source picture, which it only reads and which the dialog leaves alone
// until the job has been joined.
#pragma once

#include <atomic>
#include <functional>

#include "raster/image_pair.h"
#include "warp/engine.h"
#include "warp/job.h"

namespace quorvel {

struct TApplyJob {
  TWarpEngine engine;
  TImagePair pair;                     // width, height; src copied in by the job
  const PixelBlock* source = nullptr;  // read only, on the worker
  TStamps stamps;
  bool stamped = true;
  std::function<void(int passes_done)> passHook;  // tests hold the job here

  std::atomic<bool> cancel{false};
  std::atomic<int> passesDone{0};
  bool made = false;  // read after the join
};

// Takes the shape, the parameters and the job cache from engine, which gets
// the cache back from ReturnApplyEngine.
void LendApplyEngine(TWarpEngine& engine, TApplyJob& job);
void ReturnApplyEngine(TWarpEngine& engine, TApplyJob& job);

// The worker's part: the warp, stopping between passes once cancel is set.
void RunApplyJob(TApplyJob& job);

// Per cent done after the given number of passes, by how long each pass of a
// large Apply takes.
int ApplyPercent(int passes_done);

}  // namespace quorvel
