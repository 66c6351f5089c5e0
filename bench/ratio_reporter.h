// Turns the benchmarks of one program into rows of ratios: a subject's figure
// over a baseline's, both from the same run. A side is a benchmark's name (its
// real time per iteration, in ns) or "name:counter" (a counter it reports, in
// ns). With repetitions, each side's median is used.
#ifndef KELMORA_BENCH_RATIO_REPORTER_H
#define KELMORA_BENCH_RATIO_REPORTER_H

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace kelmora_bench {

struct Comparison {
    std::string label;    // what the row measures
    std::string subject;  // "benchmark" or "benchmark:counter"
    std::string baseline; // "benchmark" or "benchmark:counter"
    std::string target;   // e.g. "<= 1.15"
};

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(std::vector<Comparison> comparisons);

    void ReportRuns(const std::vector<Run>& runs) override;

    // One tab-separated row per comparison:
    // label, subject ns, baseline ns, ratio, target.
    // Returns false when a side of some comparison did not run.
    bool write_rows(std::ostream& os) const;
    // The same rows as a table for people.
    bool write_table(std::ostream& os) const;

  private:
    struct Figures {
        double ns_per_iteration = 0.0;
        std::map<std::string, double> counters;
        bool is_median = false;
    };
    bool side(const std::string& name, double& ns) const;
    bool lookup(const Comparison& c, double& subject_ns, double& baseline_ns) const;

    std::vector<Comparison> comparisons_;
    std::map<std::string, Figures> figures_;
};

} // namespace kelmora_bench

#endif
