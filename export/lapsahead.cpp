#include "export/lapsahead.h"

#include <algorithm>
#include <cassert>

#include "lapdata/loadlap.h"

unsigned LoadingThreads() {
    // Loading a lap takes about twice as long as writing its lines: beyond
    // three loading threads the writer could not keep up, and the laps in
    // memory would only grow.
    return std::clamp(std::thread::hardware_concurrency(), 1u, 3u);
}

LapsAhead::LapsAhead(std::vector<std::string> paths, unsigned threads) : paths_(std::move(paths)) {
    threads =
        static_cast<unsigned>(std::clamp<std::size_t>(paths_.size(), 1, std::max(threads, 1u)));
    slots_ = std::vector<Slot>(threads + 1);
    try {
        for (unsigned t = 0; t < threads; ++t)
            threads_.emplace_back(&LapsAhead::Load, this);
    } catch (...) {
        Stop();
        throw;
    }
}

LapsAhead::~LapsAhead() {
    Stop();
}

void LapsAhead::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

void LapsAhead::Load() {
    // Lap values are computed with the 64-bit significand whatever the
    // system gave a new thread.
    UseExtendedPrecision();
    std::unique_lock lock(mutex_);
    for (;;) {
        // Lap k may go into its slot once the caller is done with lap k - slots.
        changed_.wait(lock, [&] {
            return stop_ || taken_ == paths_.size() || taken_ < done_ + slots_.size();
        });
        if (stop_ || taken_ == paths_.size()) return;
        const std::size_t k = taken_++;
        Slot& slot = slots_[k % slots_.size()];
        lock.unlock();
        bool loaded = false;
        std::exception_ptr error;
        try {
            loaded = LoadLap(paths_[k], slot.lap);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        slot.index = k;
        slot.loaded = loaded;
        slot.error = error;
        slot.ready = true;
        changed_.notify_all();
    }
}

const Lap* LapsAhead::Next() {
    std::unique_lock lock(mutex_);
    // The lap given out last is done with: its slot may take a lap ahead.
    done_ = handedOut_;
    changed_.notify_all();
    assert(handedOut_ < paths_.size());
    const std::size_t k = handedOut_++;
    Slot& slot = slots_[k % slots_.size()];
    changed_.wait(lock, [&] { return slot.ready && slot.index == k; });
    if (slot.error) std::rethrow_exception(slot.error);
    return slot.loaded ? &slot.lap : nullptr;
}
