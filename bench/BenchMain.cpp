// The benchmark program: Google Benchmark's output as asked for, and after it
// (on standard error) each goal's ratio against its reference in the same run.
#include "Ratios.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace {

class RatioReporter : public benchmark::BenchmarkReporter {
public:
    explicit RatioReporter(std::unique_ptr<benchmark::BenchmarkReporter> inner)
        : inner_(std::move(inner)) {}

    bool ReportContext(const Context& context) override {
        inner_->SetOutputStream(&GetOutputStream());
        inner_->SetErrorStream(&GetErrorStream());
        return inner_->ReportContext(context);
    }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
        inner_->ReportRuns(runs);
    }
    void Finalize() override {
        inner_->Finalize();
        for (const bench::Goal& goal : bench::goals()) {
            const auto a = times_.find(goal.measured), b = times_.find(goal.reference);
            if (a == times_.end() || b == times_.end()) continue;
            const double ratio = a->second / b->second;
            std::cerr << goal.measured << " / " << goal.reference << " = " << ratio
                      << " (goal: at most " << goal.limit << ") "
                      << (ratio <= goal.limit ? "met" : "NOT MET") << '\n';
        }
    }

private:
    std::unique_ptr<benchmark::BenchmarkReporter> inner_;
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    // The window benchmarks need widgets; they run offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    bool json = false;
    for (int i = 1; i < argc; ++i)
        json = json || std::strcmp(argv[i], "--benchmark_format=json") == 0;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::unique_ptr<benchmark::BenchmarkReporter> inner;
    if (json)
        inner = std::make_unique<benchmark::JSONReporter>();
    else
        inner = std::make_unique<benchmark::ConsoleReporter>();
    RatioReporter reporter(std::move(inner));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
