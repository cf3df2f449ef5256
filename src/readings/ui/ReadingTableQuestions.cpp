#include "readings/ui/ReadingTableQuestions.h"

#include "readings/Texts.h"
#include "store/ReadingTables.h"

namespace readings {

namespace {

// As the store said it: a register that is not open is no current row.
QString registerSensorNumber(app::AppState& state) {
    if (!state.rsSensors)
        throw store::Error(store::code::NoCurrentRow, QStringLiteral("no sensor register is open"));
    return state.rsSensors->value(QStringLiteral("InstrumentID")).toString();
}

} // namespace

bool TableExists(app::AppState& state, const QString& path, const QString& name) {
    bool found = false;
    app::logAndLeave(state.log, QStringLiteral(" Module1_TableExists"),
                     [&] { found = store::fileHoldsTable(state.cnDatabase.get(), path, name); });
    return found;
}

void AddDataTable(app::AppState& state, app::Prompter& prompter) {
    app::logAndLeave(state.log, texts::AddDataTableLabel, [&] {
        const QString id = registerSensorNumber(state);
        if (!TableExists(state, state.DBPath, id)) {
            store::createReadingTable(state.database(), id);
            return;
        }
        prompter.ask({texts::tableAlreadyExists(id), texts::AppTitle});
        const app::Prompt question{texts::overwriteTable(id), texts::TitleUpper, app::Icon::None,
                                   app::Buttons::YesNo};
        if (prompter.ask(question) != app::Answer::Yes) return;
        store::replaceReadingTable(state.database(), id);
    });
}

void OpenSensorData(app::AppState& state, app::Prompter& prompter) {
    app::logAndLeave(state.log, texts::OpenSensorDataLabel, [&] {
        if (!state.rsSensors || state.rsSensors->isBOF() || state.rsSensors->isEOF()) {
            prompter.ask({texts::AddASensorFirst, texts::AppTitle});
            return;
        }
        const QString id = registerSensorNumber(state);
        if (!TableExists(state, state.DBPath, id)) {
            prompter.ask({texts::tableNotFound(id), texts::AppTitle});
            AddDataTable(state, prompter);
        }
        store::openReadings(state.database(), id, state.rsSensorData);
    });
}

} // namespace readings
