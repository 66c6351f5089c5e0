// Per-ray cost of the Windows DLL, whose shader reaches the host functions
// through its forwarding entries (a cached lookup, then an indirect call into
// the module the host handed over), against the shader's own source compiled
// into this program and calling the same host functions (trivial_host.cpp)
// directly. Runs under Wine.
//
// Google Benchmark is not built for Windows here, so this times with a loop
// of its own, in the same way as the native benchmark: within each
// repetition both sides shade the same frames one after the other, which side
// goes first alternates, and each side's median over the repetitions is
// compared. Nothing is asserted.
//
// Usage: kelmora-forwarding-bench [--rows] [--repetitions N] [--min-time SECONDS]
//   --rows         prints only the ratio rows (tab-separated) on stdout; the
//                  table for people goes to stderr
//   --repetitions  samples per side (default 15)
//   --min-time     shortest sample per side, in seconds (default 0.05)
#include "plugin.h"
#include "shader_frames.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using kelmora_bench::Frame;
using kelmora_bench::shade_frame;

const char program[] = "kelmora-forwarding-bench";

struct Settings {
    bool rows_only = false;
    int repetitions = 15;
    double min_sample_ns = 0.05e9;
};

struct Figures {
    double subject_ns_per_ray;
    double baseline_ns_per_ray;
};

bool parse_positive(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value > 0.0 && value < 1e6;
}

bool parse_settings(int argc, char** argv, Settings& settings) {
    for (int i = 1; i < argc; ++i) {
        const char* flag = argv[i];
        double value = 0.0;
        if (std::strcmp(flag, "--rows") == 0) {
            settings.rows_only = true;
        } else if (std::strcmp(flag, "--repetitions") == 0 && i + 1 < argc &&
                   parse_positive(argv[++i], value) && value == static_cast<int>(value)) {
            settings.repetitions = static_cast<int>(value);
        } else if (std::strcmp(flag, "--min-time") == 0 && i + 1 < argc &&
                   parse_positive(argv[++i], value)) {
            settings.min_sample_ns = value * 1e9;
        } else {
            std::fprintf(stderr,
                         "%s: bad argument '%s' (usage: %s [--rows] [--repetitions N] "
                         "[--min-time SECONDS])\n",
                         program, flag, program);
            return false;
        }
    }
    return true;
}

double shade_frames(kelmora_shader_fn shader, Frame& frame, int count) {
    double ns = 0.0;
    for (int i = 0; i < count; ++i) {
        ns += shade_frame(shader, frame);
    }
    return ns;
}

// How many passes over the frame make one sample last at least the minimum.
int passes_per_sample(kelmora_shader_fn shader, Frame& frame, double min_sample_ns) {
    int passes = 1;
    while (shade_frames(shader, frame, passes) < min_sample_ns && passes < (1 << 24)) {
        passes *= 2;
    }
    return passes;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

Figures measure(kelmora_shader_fn plugin, Frame& frame, const Settings& settings) {
    const int passes = passes_per_sample(plugin, frame, settings.min_sample_ns);
    const double rays = static_cast<double>(passes) * static_cast<double>(frame.rays.size());
    std::vector<double> subject, baseline;
    for (int repetition = 0; repetition < settings.repetitions; ++repetition) {
        const bool subject_first = repetition % 2 == 0;
        if (subject_first) {
            subject.push_back(shade_frames(plugin, frame, passes) / rays);
        }
        baseline.push_back(shade_frames(&kelmora_in_host, frame, passes) / rays);
        if (!subject_first) {
            subject.push_back(shade_frames(plugin, frame, passes) / rays);
        }
    }
    return {median(subject), median(baseline)};
}

std::string row_label(const Frame& frame) {
    const char* bits = sizeof(void*) == 4 ? "32" : "64";
    return std::string("forwarding / in-host per ray, Wine ") + bits + "-bit, " + frame.name;
}

void print(const std::vector<Frame>& frames, const std::vector<Figures>& figures, bool rows) {
    std::FILE* table = rows ? stderr : stdout;
    std::fprintf(table, "%-56s %12s %12s %7s  %s\n", "comparison", "subject ns", "baseline ns",
                 "ratio", "target");
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const std::string label = row_label(frames[i]);
        const double subject = figures[i].subject_ns_per_ray;
        const double baseline = figures[i].baseline_ns_per_ray;
        std::fprintf(table, "%-56s %12.3f %12.3f %7.3f  %s\n", label.c_str(), subject, baseline,
                     subject / baseline, "<= 1.10");
        if (rows) {
            std::printf("%s\t%.3f\t%.3f\t%.3f\t%s\n", label.c_str(), subject, baseline,
                        subject / baseline, "<= 1.10");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!parse_settings(argc, argv, settings)) {
        return 2;
    }
    Plugin plugin;
    std::string error;
    if (!load_plugin(plugin, error)) {
        std::fprintf(stderr, "%s: %s: %s\n", program, plugin_path().c_str(), error.c_str());
        return 1;
    }
    std::vector<Frame> frames;
    kelmora_bench::make_frames(frames);
    std::vector<Figures> figures;
    for (Frame& frame : frames) {
        if (!kelmora_bench::sides_agree(program, plugin.shader, frame)) {
            return 1;
        }
        figures.push_back(measure(plugin.shader, frame, settings));
    }
    print(frames, figures, settings.rows_only);
    return 0;
}
