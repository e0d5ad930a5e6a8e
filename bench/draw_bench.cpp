#include "draw_analysis.h"
#include "number_rules.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <new>
#include <string>

// Counts heap allocations so that the benchmark can report allocations per call. The benchmarks
// run on one thread; a thread-local count keeps the counting itself out of the timings.
namespace {
thread_local long long allocations = 0;
}

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

using Draw = std::array<std::string, 3>;

std::array<Draw, 1000> AllDigitDraws()
{
    std::array<Draw, 1000> draws;
    for (int i = 0; i < 1000; ++i)
        draws[i] = {std::to_string(i / 100), std::to_string(i / 10 % 10), std::to_string(i % 10)};
    return draws;
}

// One iteration analyses all 1000 digit draws; the rate counters give the time per draw.
void BM_AnalyseDrawAllDigitDraws(benchmark::State& state)
{
    const auto draws = AllDigitDraws();
    const long long before = allocations;
    for (auto _ : state) {
        for (const Draw& d : draws)
            benchmark::DoNotOptimize(draw::AnalyseDraw(d[0], d[1], d[2]));
    }
    const auto calls = static_cast<double>(state.iterations()) * draws.size();
    state.counters["ns_per_draw"] =
        benchmark::Counter(calls, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
    state.counters["allocs_per_draw"] = static_cast<double>(allocations - before) / calls;
}
BENCHMARK(BM_AnalyseDrawAllDigitDraws);

void BM_ValTextMebibyte(benchmark::State& state)
{
    const std::string digits = "1" + std::string((std::size_t{1} << 20) - 3, ' ') + "23";
    for (auto _ : state)
        benchmark::DoNotOptimize(draw::ValText(digits));
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * digits.size());
}
BENCHMARK(BM_ValTextMebibyte)->Unit(benchmark::kMillisecond);

void BM_ValTextMebibyteOfDigits(benchmark::State& state)
{
    const std::string digits = "0." + std::string((std::size_t{1} << 20) - 2, '7');
    for (auto _ : state)
        benchmark::DoNotOptimize(draw::ValText(digits));
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * digits.size());
}
BENCHMARK(BM_ValTextMebibyteOfDigits)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
