#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace tallux::cli {

// Worker threads that run jobs and hand the results back in the order the
// jobs were submitted, whatever order they finish in. At most `window` jobs
// are in flight: the caller submits only while full() is false and takes
// results with next(), so memory stays bounded for any number of jobs.
// `work` runs on the workers and must not throw.
template <class Job, class Result>
class OrderedPool {
public:
    OrderedPool(unsigned workers, std::size_t window, std::function<Result(Job&)> work)
        : work_(std::move(work))
        , slots_(window)
    {
        for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { serve(); });
    }
    ~OrderedPool()
    {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        jobReady_.notify_all();
        for (std::thread& t : threads_) t.join();
    }
    OrderedPool(const OrderedPool&) = delete;
    OrderedPool& operator=(const OrderedPool&) = delete;

    std::size_t inFlight() const
    {
        std::lock_guard lock(mutex_);
        return submitted_ - taken_;
    }
    bool full() const { return inFlight() == slots_.size(); }

    void submit(Job job)
    {
        {
            std::lock_guard lock(mutex_);
            Slot& s = slots_[submitted_ % slots_.size()];
            s.job = std::move(job);
            s.result.reset();
            ++submitted_;
        }
        jobReady_.notify_one();
    }

    // The result of the oldest job in flight once it is done; nothing when
    // it is still running.
    std::optional<Result> tryNext()
    {
        std::lock_guard lock(mutex_);
        return takeLocked();
    }
    // Waits for the result of the oldest job in flight (there must be one).
    Result next()
    {
        std::unique_lock lock(mutex_);
        resultReady_.wait(lock,
                          [this] { return slots_[taken_ % slots_.size()].result.has_value(); });
        return *takeLocked();
    }

private:
    struct Slot {
        std::optional<Job> job;
        std::optional<Result> result;
    };

    std::optional<Result> takeLocked()
    {
        if (taken_ == submitted_) return std::nullopt;
        Slot& s = slots_[taken_ % slots_.size()];
        if (!s.result) return std::nullopt;
        std::optional<Result> r = std::move(s.result);
        s.result.reset();
        ++taken_;
        return r;
    }

    void serve()
    {
        for (;;) {
            std::unique_lock lock(mutex_);
            jobReady_.wait(lock, [this] { return closing_ || claimed_ < submitted_; });
            if (claimed_ == submitted_) return; // closing, and nothing left to do
            Slot& s = slots_[claimed_++ % slots_.size()];
            Job job = std::move(*s.job);
            s.job.reset();
            lock.unlock();
            Result r = work_(job);
            lock.lock();
            s.result = std::move(r);
            lock.unlock();
            resultReady_.notify_one();
        }
    }

    std::function<Result(Job&)> work_;
    mutable std::mutex mutex_;
    std::condition_variable jobReady_, resultReady_;
    std::vector<Slot> slots_;
    std::vector<std::thread> threads_;
    std::size_t submitted_ = 0, claimed_ = 0, taken_ = 0;
    bool closing_ = false;
};

} // namespace tallux::cli
