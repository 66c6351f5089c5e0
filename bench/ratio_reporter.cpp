#include "ratio_reporter.h"

#include <cstdio>
#include <utility>

namespace kelmora_bench {
namespace {

double nanoseconds(double value, benchmark::TimeUnit unit) {
    return value * 1e9 / benchmark::GetTimeUnitMultiplier(unit);
}

std::string format_row(const char* format, const Comparison& c, double subject_ns,
                       double baseline_ns) {
    char line[256];
    std::snprintf(line, sizeof line, format, c.label.c_str(), subject_ns, baseline_ns,
                  subject_ns / baseline_ns, c.target.c_str());
    return line;
}

} // namespace

RatioReporter::RatioReporter(std::vector<Comparison> comparisons)
    : comparisons_(std::move(comparisons)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) {
            continue;
        }
        const bool is_median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !is_median) {
            continue;
        }
        Figures& figures = figures_[run.run_name.str()];
        if (figures.is_median && !is_median) {
            continue;
        }
        figures.ns_per_iteration = nanoseconds(run.GetAdjustedRealTime(), run.time_unit);
        figures.counters.clear();
        for (const auto& [name, counter] : run.counters) {
            figures.counters[name] = counter.value;
        }
        figures.is_median = is_median;
    }
}

bool RatioReporter::side(const std::string& name, double& ns) const {
    const size_t colon = name.find(':');
    const auto figures = figures_.find(name.substr(0, colon));
    if (figures == figures_.end()) {
        return false;
    }
    if (colon == std::string::npos) {
        ns = figures->second.ns_per_iteration;
        return true;
    }
    const auto counter = figures->second.counters.find(name.substr(colon + 1));
    if (counter == figures->second.counters.end()) {
        return false;
    }
    ns = counter->second;
    return true;
}

bool RatioReporter::lookup(const Comparison& c, double& subject_ns, double& baseline_ns) const {
    return side(c.subject, subject_ns) && side(c.baseline, baseline_ns);
}

bool RatioReporter::write_rows(std::ostream& os) const {
    bool complete = true;
    for (const Comparison& c : comparisons_) {
        double subject_ns = 0.0, baseline_ns = 0.0;
        if (!lookup(c, subject_ns, baseline_ns)) {
            complete = false;
            continue;
        }
        os << format_row("%s\t%.3f\t%.3f\t%.3f\t%s\n", c, subject_ns, baseline_ns);
    }
    return complete;
}

bool RatioReporter::write_table(std::ostream& os) const {
    char header[256];
    std::snprintf(header, sizeof header, "%-44s %12s %12s %7s  %s\n", "comparison", "subject ns",
                  "baseline ns", "ratio", "target");
    os << '\n' << header;
    bool complete = true;
    for (const Comparison& c : comparisons_) {
        double subject_ns = 0.0, baseline_ns = 0.0;
        if (!lookup(c, subject_ns, baseline_ns)) {
            os << c.label << ": not measured\n";
            complete = false;
            continue;
        }
        os << format_row("%-44s %12.3f %12.3f %7.3f  %s\n", c, subject_ns, baseline_ns);
    }
    return complete;
}

} // namespace kelmora_bench
