// The command line and the end of a benchmark program: defaults that suit a
// ratio, a --rows flag, and the rows or table printed after the run.
#ifndef KELMORA_BENCH_BENCH_MAIN_H
#define KELMORA_BENCH_BENCH_MAIN_H

#include "ratio_reporter.h"

namespace kelmora_bench {

// Runs both sides once per benchmark iteration, alternating which goes first,
// so that noise from the rest of the machine lands on both within moments of
// each other. Each side returns its own time in ns, which is added up.
template <typename Subject, typename Baseline>
void alternate(benchmark::State& state, Subject subject, Baseline baseline, double& subject_ns,
               double& baseline_ns) {
    bool subject_first = true;
    for (auto _ : state) {
        if (subject_first) {
            subject_ns += subject();
        }
        baseline_ns += baseline();
        if (!subject_first) {
            subject_ns += subject();
        }
        subject_first = !subject_first;
    }
}

// Hands Google Benchmark its flags, after defaults that suit a ratio (several
// repetitions, randomly interleaved, so each side's median is reported);
// flags given on the command line override them. Takes out --rows: print only
// the ratio rows (tab-separated) on stdout, and the benchmark table on stderr.
// Returns false after reporting a flag nobody knows.
bool initialize_benchmarks(int argc, char** argv, bool& rows_only);

// Runs every registered benchmark and prints the comparisons; returns the
// exit code (1 when some side of a comparison did not run).
int run_and_report(RatioReporter& reporter, bool rows_only);

} // namespace kelmora_bench

#endif
