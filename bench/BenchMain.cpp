// The benchmark program: Google Benchmark's output as asked for, and after it
// (on standard error, and as JSON with --ratios_out=PATH) each goal's ratio of
// medians against its reference in the same run. Exits 1 when a goal is not
// met or one of its cases did not run.
#include "Ratios.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

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
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations <= 0) continue;
            const std::string name = run.benchmark_name();
            if (run.error_occurred) {
                failed_[name] = true;
                continue;
            }
            // Seconds, whatever unit the case reports in.
            seconds_[name].push_back(run.real_accumulated_time / double(run.iterations));
            if (const auto c = run.counters.find("cache_dropped"); c != run.counters.end())
                cacheDropped_ = cacheDropped_.value_or(true) && c->second.value > 0;
        }
        inner_->ReportRuns(runs);
    }
    void Finalize() override { inner_->Finalize(); }

    // Prints every goal and returns them as JSON; `allMet` is false when one
    // is not met or missing.
    QJsonObject ratios(bool& allMet) const {
        QJsonArray list;
        allMet = true;
        for (const bench::Goal& goal : bench::goals()) {
            const std::optional<double> a = medianOf(goal.measured);
            std::optional<double> b = 0.0;
            std::string referenceName;
            for (const std::string& r : goal.references) {
                const std::optional<double> part = medianOf(r);
                b = b && part ? std::optional(*b + *part) : std::nullopt;
                referenceName += (referenceName.empty() ? "" : " + ") + r;
            }
            QJsonObject entry{{"name", QString::fromStdString(goal.measured)},
                              {"reference_cases", QString::fromStdString(referenceName)},
                              {"goal", goal.limit}};
            std::cerr << goal.measured << " / " << referenceName;
            if (!a || !b || !(*b > 0)) {
                allMet = false;
                entry["measured"] = a ? QJsonValue(*a) : QJsonValue();
                entry["reference"] = b ? QJsonValue(*b) : QJsonValue();
                entry["ratio"] = QJsonValue();
                entry["met"] = QStringLiteral("MISSING");
                std::cerr << ": MISSING\n";
            } else {
                const double ratio = *a / *b;
                const bool met = ratio <= goal.limit;
                allMet = allMet && met;
                entry["measured"] = *a;
                entry["reference"] = *b;
                entry["ratio"] = ratio;
                entry["met"] = met ? QStringLiteral("met") : QStringLiteral("NOT MET");
                std::cerr << " = " << *a << " s / " << *b << " s = " << ratio << " (goal: at most "
                          << goal.limit << ") " << (met ? "met" : "NOT MET") << '\n';
            }
            list.append(entry);
        }
        QJsonObject all{{"ratios", list}};
        if (cacheDropped_) {
            all["cold_start_page_cache"] =
                *cacheDropped_ ? QStringLiteral("dropped") : QStringLiteral("warm");
            std::cerr << "BM_ColdStart: page cache "
                      << (*cacheDropped_ ? "dropped before each start"
                                         : "not dropped (not permitted): warm starts")
                      << '\n';
        }
        return all;
    }

private:
    std::optional<double> medianOf(const std::string& name) const {
        const auto it = seconds_.find(name);
        if (it == seconds_.end() || failed_.count(name)) return std::nullopt;
        return median(it->second);
    }

    std::unique_ptr<benchmark::BenchmarkReporter> inner_;
    std::map<std::string, std::vector<double>> seconds_;
    std::map<std::string, bool> failed_;
    std::optional<bool> cacheDropped_;
};

} // namespace

int main(int argc, char** argv) {
    // The window benchmarks need widgets; they run offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    bool json = false;
    QString ratiosOut;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        static constexpr char RatiosFlag[] = "--ratios_out=";
        if (std::strncmp(argv[i], RatiosFlag, sizeof RatiosFlag - 1) == 0) {
            ratiosOut = QString::fromLocal8Bit(argv[i] + sizeof RatiosFlag - 1);
            continue;
        }
        json = json || std::strcmp(argv[i], "--benchmark_format=json") == 0;
        argv[kept++] = argv[i];
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    std::unique_ptr<benchmark::BenchmarkReporter> inner;
    if (json)
        inner = std::make_unique<benchmark::JSONReporter>();
    else
        inner = std::make_unique<benchmark::ConsoleReporter>();
    RatioReporter reporter(std::move(inner));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    bool allMet = false;
    const QJsonObject ratios = reporter.ratios(allMet);
    if (!ratiosOut.isEmpty()) {
        QFile out(ratiosOut);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(QJsonDocument(ratios).toJson()) < 0) {
            std::cerr << "cannot write " << ratiosOut.toStdString() << '\n';
            return 1;
        }
    }
    return allMet ? 0 : 1;
}
