#include <gtest/gtest.h>

#include <atomic>
#include <random>

#include "batch_pool.h"
#include "batch_report.h"
#include "writer.h"

namespace tallux::cli {
namespace {

TEST(BatchPool, ResultsComeInSubmissionOrderWithABoundedWindow)
{
    constexpr std::size_t window = 8;
    std::atomic<int> running = 0, mostRunning = 0;
    OrderedPool<int, int> pool(4, window, [&](int& job) {
        const int now = ++running;
        for (int seen = mostRunning; now > seen && !mostRunning.compare_exchange_weak(seen, now);)
            ;
        // Uneven work, so that later jobs often finish first.
        volatile unsigned sink = 0;
        for (int i = 0; i < (job % 7) * 20000; ++i) sink = sink + static_cast<unsigned>(i);
        --running;
        return job * 10;
    });
    std::vector<int> results;
    for (int job = 0; job < 500; ++job) {
        while (pool.full()) results.push_back(pool.next());
        pool.submit(job);
        EXPECT_LE(pool.inFlight(), window);
        while (auto r = pool.tryNext()) results.push_back(*r);
    }
    while (pool.inFlight() > 0) results.push_back(pool.next());
    ASSERT_EQ(results.size(), 500u);
    for (int i = 0; i < 500; ++i)
        EXPECT_EQ(results[static_cast<std::size_t>(i)], i * 10) << "result " << i;
    EXPECT_LE(mostRunning.load(), 4);
}

TEST(BatchReport, ProgressAndSummaryLines)
{
    struct Case {
        Tally tally;
        std::optional<double> done;
        std::string progress, summary;
    };
    const Case cases[] = {
        /*0*/ {{1000, 998, 2, 998, 0, 2.0},
               0.5,
               "[############............]  50%  1000 lines  2 failed  500/s",
               "1000 lines read, 998 drawn, 2 failed, 998 files written in 2.00 s (500 lines/s)"},
        /*1*/
        {{1, 1, 0, 1, 1, 0.0},
         std::nullopt,
         "1 line",
         "1 line read, 1 drawn, 0 failed, 1 file written (1 page) in 0.00 s"},
        /*2*/
        {{10, 10, 0, 1, 3, 0.5},
         1.0,
         "[########################] 100%  10 lines  20/s",
         "10 lines read, 10 drawn, 0 failed, 1 file written (3 pages) in 0.50 s (20 lines/s)"},
        /*3*/
        {{7, 0, 0, 0, 0, 1.0},
         1.7,
         "[########################] 100%  7 lines  7/s",
         "7 lines read, 0 drawn, 0 failed, 0 files written in 1.00 s (7 lines/s)"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(progressLine(cases[i].tally, cases[i].done), cases[i].progress) << "case " << i;
        EXPECT_EQ(summaryText(cases[i].tally), cases[i].summary) << "case " << i;
    }
}

TEST(BatchReport, TheBarDrawsOnlyOnATerminalAndWipesItself)
{
    std::string offText, onText;
    Writer off(offText), on(onText);
    ProgressBar(off, false).update({5, 5, 0, 5, 0, 1.0}, std::nullopt);
    EXPECT_EQ(offText, "");
    ProgressBar bar(on, true);
    bar.update({5, 5, 0, 5, 0, 1.0}, std::nullopt);
    bar.update({6, 6, 0, 6, 0, 1.0}, std::nullopt); // too soon: not drawn again
    bar.clear();
    EXPECT_EQ(onText, "\r5 lines  5/s\x1b[K\r\x1b[K");
}

} // namespace
} // namespace tallux::cli
