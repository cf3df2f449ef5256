#include "importer/ui/WindowImport.h"

#include "importer/Texts.h"

namespace importer {

std::unique_ptr<TextTable> OpenTroveData(app::AppState& state, const QString& fileName,
                                         const QString& path) {
    Q_UNUSED(fileName) // the driver always reads the working copy
    return openLoggerFile(state.DataFolder, path);
}

std::unique_ptr<TextFile> OpenTroveData(app::AppState& state, const QString& fileName,
                                        const QString& path, const ReadLimits& limits,
                                        const ReadProgress& progress) {
    Q_UNUSED(fileName)
    return openLoggerText(state.DataFolder, path, limits, progress);
}

namespace {

// The append by `append`, then its messages, the count and the archive.
int appendAndTell(app::AppState& state, app::Prompter& prompter,
                  const sensors::CurrentSensor& sensor,
                  const std::function<AppendOutcome(const AppendTarget&)>& append) {
    AppendOutcome outcome;
    try {
        outcome = append({sensor.number, sensor.typeCode, sensor.hasTemperature});
    } catch (...) {
        // Nothing was stored: saying so beats the silence of a skipped step.
        const std::exception_ptr failure = std::current_exception();
        state.log.WriteLog(app::errorEntry(failure, texts::AppendLabel));
        prompter.ask({texts::appendFailed(app::describeFailure(failure)), texts::AppTitle,
                      app::Icon::Critical});
        return 0;
    }
    for (const QString& message : outcome.messages)
        prompter.ask({message, texts::AppTitle});
    if (outcome.appended == 0) {
        prompter.ask({texts::NothingAppended, texts::AppTitle});
        return 0;
    }
    prompter.ask({texts::appended(outcome.appended, sensor.number), texts::AppTitle});
    app::ignoreFailure([&] {
        archiveTransferCopy(state.DataFolder, sensor.number, state.env.clock->now().date());
    });
    return outcome.appended;
}

} // namespace

int appendChecked(app::AppState& state, app::Prompter& prompter,
                  const sensors::CurrentSensor& sensor, const TextTable& table,
                  const std::vector<std::uint8_t>& ticks, DateLayout layout,
                  const Progress& progress) {
    return appendAndTell(state, prompter, sensor, [&](const AppendTarget& target) {
        return appendReadings(state.database(), target, table, ticks, layout, systemDayOrder(),
                              progress);
    });
}

int appendChecked(app::AppState& state, app::Prompter& prompter,
                  const sensors::CurrentSensor& sensor, const TextFile& file,
                  const LineTicks& ticks, DateLayout layout, const Progress& progress) {
    return appendAndTell(state, prompter, sensor, [&](const AppendTarget& target) {
        return appendReadings(state.database(), target, file, ticks, layout, systemDayOrder(),
                              progress);
    });
}

} // namespace importer
