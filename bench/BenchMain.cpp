// The benchmark program: Google Benchmark's output as asked for, and after it
// (on standard error, and as JSON with --ratios_out=PATH) each goal's ratio of
// medians against its reference in the same run. Exits 1 when a goal is not
// met or one of its cases did not run.
//
// --engine sqlite|postgresql (default sqlite) picks the engine. On a server
// (--server-url URL, else TOLVANE_BENCH_SERVER, else a throw-away cluster
// started for the run) each goal is met within ServerFactor times its limit;
// the goals about files only are reported as not applicable, and those that
// drive the window are left out when the window does not start on a server's
// database.
#include "Engine.h"
#include "Ratios.h"
#include "Windows.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
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
            const double limit = goal.limit * factor;
            QJsonObject entry{{"name", QString::fromStdString(goal.measured)},
                              {"reference_cases", QString::fromStdString(referenceName)},
                              {"goal", limit}};
            if (factor != 1.0) entry["file_goal"] = goal.limit;
            std::cerr << goal.measured << " / " << referenceName;
            if (const auto left = leftOut.find(goal.measured); left != leftOut.end()) {
                entry["measured"] = QJsonValue();
                entry["reference"] = QJsonValue();
                entry["ratio"] = QJsonValue();
                entry["met"] = QString::fromStdString(left->second);
                std::cerr << ": " << left->second << '\n';
                // Only a goal that has no meaning on a server is excused.
                allMet = allMet && left->second == bench::NotApplicable;
                list.append(entry);
                continue;
            }
            if (!a || !b || !(*b > 0)) {
                allMet = false;
                entry["measured"] = a ? QJsonValue(*a) : QJsonValue();
                entry["reference"] = b ? QJsonValue(*b) : QJsonValue();
                entry["ratio"] = QJsonValue();
                entry["met"] = QStringLiteral("MISSING");
                std::cerr << ": MISSING\n";
            } else {
                const double ratio = *a / *b;
                const bool met = ratio <= limit;
                allMet = allMet && met;
                entry["measured"] = *a;
                entry["reference"] = *b;
                entry["ratio"] = ratio;
                entry["met"] = met ? QStringLiteral("met") : QStringLiteral("NOT MET");
                std::cerr << " = " << *a << " s / " << *b << " s = " << ratio << " (goal: at most "
                          << limit << ") " << (met ? "met" : "NOT MET") << '\n';
            }
            list.append(entry);
        }
        QJsonObject all{
            {"engine", onServer ? QStringLiteral("postgresql") : QStringLiteral("sqlite")},
            {"ratios", list}};
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

    // Goals not run, with the reason reported in their place.
    std::map<std::string, std::string> leftOut;
    // The goals' limits are multiplied by this (a server's allowance).
    double factor = 1.0;
    bool onServer = false;

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

// A cluster of its own for the run, started by the tests' script and stopped
// (and removed) when the run ends; one a killed run left behind is removed by
// the next start in the same folder.
class ThrowAwayCluster {
public:
    explicit ThrowAwayCluster(QString folder) : folder_(std::move(folder)) {
        if (!script(QStringLiteral("start")))
            qFatal("bench: the throw-away PostgreSQL cluster did not start");
        QFile url(folder_ + QStringLiteral("/url"));
        if (!url.open(QIODevice::ReadOnly)) qFatal("bench: the cluster wrote no address");
        address = QString::fromUtf8(url.readAll()).trimmed();
    }
    ~ThrowAwayCluster() { script(QStringLiteral("stop")); }
    ThrowAwayCluster(const ThrowAwayCluster&) = delete;
    ThrowAwayCluster& operator=(const ThrowAwayCluster&) = delete;
    QString address;

private:
    // Standard output is the benchmarks' JSON: what the script says goes to
    // standard error.
    bool script(const QString& command) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral(TOLVANE_PG_TEST_CLUSTER), {command, folder_});
        const bool finished = p.waitForFinished(-1);
        std::cerr << p.readAll().toStdString();
        return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
    QString folder_;
};

// The names of the cases the filter selects, as the program itself lists them.
std::vector<std::string> listedCases(const char* program, const std::string& filter) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QString::fromLocal8Bit(program),
            {QStringLiteral("--benchmark_list_tests=true"),
             QStringLiteral("--benchmark_filter=") + QString::fromStdString(filter)});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        qFatal("bench: the cases were not listed");
    std::vector<std::string> names;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty()) names.push_back(line.trimmed().toStdString());
    return names;
}

// Whether the main window starts on a server's database: the window cases
// need it.
bool windowStartsOnServer() {
    bench::RunningWindow probe(bench::sharedDataSet(1, 24));
    return probe.ok;
}

// The goals left out on a server with their reasons, and the filter that runs
// every other case the user's filter selects.
std::string serverFilter(const char* program, const std::string& userFilter,
                         std::map<std::string, std::string>& leftOut) {
    const bool window = windowStartsOnServer();
    if (!window)
        std::cerr << "bench: the window did not start on a server database; its cases are "
                     "left out\n";
    std::set<std::string> skipped, needed;
    for (const bench::Goal& goal : bench::goals()) {
        std::string reason;
        if (bench::fileOnlyGoals().count(goal.measured))
            reason = bench::NotApplicable;
        else if (!window && bench::windowCases().count(bench::familyOf(goal.measured)))
            reason = bench::WindowNotOnServer;
        std::set<std::string>& into = reason.empty() ? needed : skipped;
        into.insert(goal.measured);
        into.insert(goal.references.begin(), goal.references.end());
        if (!reason.empty()) leftOut.emplace(goal.measured, reason);
    }
    std::string filter;
    for (const std::string& name : listedCases(program, userFilter)) {
        const bool windowCase = bench::windowCases().count(bench::familyOf(name)) > 0;
        if ((skipped.count(name) && !needed.count(name)) || (!window && windowCase)) continue;
        filter += (filter.empty() ? "^(" : "|") + name;
    }
    // Nothing left: a name no case has.
    return filter.empty() ? std::string("^$") : filter + ")$";
}

} // namespace

int main(int argc, char** argv) {
    // The window benchmarks need widgets; they run offscreen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    bool json = false, listing = false;
    QString ratiosOut, engine = QStringLiteral("sqlite"), serverUrl;
    std::string userFilter;
    std::vector<std::string> kept{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        // "--name=value" or "--name value".
        const auto value = [&](const std::string& name, QString& into) {
            if (arg.rfind(name + "=", 0) == 0) {
                into = QString::fromLocal8Bit(arg.substr(name.size() + 1).c_str());
                return true;
            }
            if (arg == name && i + 1 < argc) {
                into = QString::fromLocal8Bit(argv[++i]);
                return true;
            }
            return false;
        };
        if (value("--ratios_out", ratiosOut) || value("--engine", engine) ||
            value("--server-url", serverUrl))
            continue;
        if (arg.rfind("--benchmark_filter=", 0) == 0) {
            userFilter = arg.substr(sizeof "--benchmark_filter=" - 1);
            continue;
        }
        json = json || arg == "--benchmark_format=json";
        listing =
            listing || arg == "--benchmark_list_tests=true" || arg == "--benchmark_list_tests";
        kept.push_back(arg);
    }
    if (engine != QLatin1String("sqlite") && engine != QLatin1String("postgresql")) {
        std::cerr << "bench: --engine is sqlite or postgresql\n";
        return 2;
    }
    const bool server = engine == QLatin1String("postgresql");
    if (serverUrl.isEmpty()) serverUrl = qEnvironmentVariable("TOLVANE_BENCH_SERVER");
    std::unique_ptr<ThrowAwayCluster> cluster;
    std::map<std::string, std::string> leftOut;
    if (server && !listing) {
        if (serverUrl.isEmpty()) {
            cluster = std::make_unique<ThrowAwayCluster>(QCoreApplication::applicationDirPath() +
                                                         QStringLiteral("/bench-pg-cluster"));
            serverUrl = cluster->address;
        }
        bench::useServer(serverUrl);
        userFilter = serverFilter(argv[0], userFilter.empty() ? "." : userFilter, leftOut);
    }
    if (!userFilter.empty()) kept.push_back("--benchmark_filter=" + userFilter);
    std::vector<char*> args;
    for (std::string& a : kept)
        args.push_back(a.data());
    argc = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&argc, args.data());
    if (benchmark::ReportUnrecognizedArguments(argc, args.data())) return 2;
    std::unique_ptr<benchmark::BenchmarkReporter> inner;
    if (json)
        inner = std::make_unique<benchmark::JSONReporter>();
    else
        inner = std::make_unique<benchmark::ConsoleReporter>();
    RatioReporter reporter(std::move(inner));
    reporter.leftOut = leftOut;
    reporter.onServer = server;
    reporter.factor = server ? bench::ServerFactor : 1.0;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (listing) return 0;
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
