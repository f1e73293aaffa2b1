// Laps loaded ahead of their user on worker threads: while one lap's lines
// are written, the next laps are loaded and derived. They are handed over in
// the order given, each with what its loading said, so that a caller sees
// the same laps, skips and errors as when it loads them one by one.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lapdata/lap.h"

// The loading threads worth starting on this machine: one a core, up to
// three. Loading takes longer than writing, so a core that the writer
// leaves idle, while it waits for a lap, takes up loading.
unsigned LoadingThreads();

class LapsAhead {
  public:
    // Starts loading the lap files at `paths` on `threads` threads (at
    // least one), at most threads + 1 laps in memory.
    LapsAhead(std::vector<std::string> paths, unsigned threads);
    // Stops loading (a lap being loaded is finished first) and waits.
    ~LapsAhead();
    LapsAhead(const LapsAhead&) = delete;
    LapsAhead& operator=(const LapsAhead&) = delete;

    // The next lap in order, as LoadLap leaves it: nullptr when it did not
    // load; its Error (or any other exception) is thrown here, in order. The
    // lap stays valid until the next call.
    const Lap* Next();

  private:
    struct Slot {
        Lap lap;
        std::size_t index = 0;  // the lap it holds, once ready
        bool ready = false;
        bool loaded = false;
        std::exception_ptr error;
    };
    void Load();
    void Stop();

    const std::vector<std::string> paths_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> slots_;    // lap k goes to slot k % size
    std::size_t taken_ = 0;      // laps handed to loading threads
    std::size_t handedOut_ = 0;  // laps given out by Next
    std::size_t done_ = 0;       // laps the caller is done with
    bool stop_ = false;
    std::vector<std::thread> threads_;
};
