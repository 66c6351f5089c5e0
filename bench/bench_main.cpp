#include "bench_main.h"

#include <cstring>
#include <iostream>
#include <vector>

namespace kelmora_bench {

namespace {

bool take_flag(int& argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], flag) == 0) {
            std::memmove(argv + i, argv + i + 1, sizeof(char*) * static_cast<size_t>(argc - i));
            --argc;
            return true;
        }
    }
    return false;
}

} // namespace

bool initialize_benchmarks(int argc, char** argv, bool& rows_only) {
    static char repetitions[] = "--benchmark_repetitions=9";
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    // Google Benchmark keeps pointers into the arguments: they must outlive it.
    static std::vector<char*> args;
    args = {argv[0], repetitions, interleave};
    args.insert(args.end(), argv + 1, argv + argc);
    int arg_count = static_cast<int>(args.size());
    args.push_back(nullptr);
    rows_only = take_flag(arg_count, args.data(), "--rows");
    benchmark::Initialize(&arg_count, args.data());
    return !benchmark::ReportUnrecognizedArguments(arg_count, args.data());
}

int run_and_report(RatioReporter& reporter, bool rows_only) {
    if (rows_only) {
        reporter.SetOutputStream(&std::cerr);
    }
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const bool complete =
        rows_only ? reporter.write_rows(std::cout) : reporter.write_table(std::cout);
    return complete ? 0 : 1;
}

} // namespace kelmora_bench
