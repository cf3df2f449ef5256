#include "store/ReadingTables.h"

#include "store/Schema.h"
#include "store/Texts.h"

#include <QFileInfo>

namespace store {

namespace {

bool isEngineTable(const QString& name) {
    return name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) ||
           name.startsWith(QLatin1String("MSys"));
}

bool sameFile(const QString& a, const QString& b) {
    if (a == b) return true;
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    return !ca.isEmpty() ? ca == cb : fa.absoluteFilePath() == fb.absoluteFilePath();
}

QString currentSensorNumber(app::AppState& state) {
    if (!state.rsSensors)
        throw Error(code::NoCurrentRow, QStringLiteral("no sensor register is open"));
    return state.rsSensors->value(QStringLiteral("InstrumentID")).toString();
}

} // namespace

QString readingsQuery(const QString& sensorNumber) {
    return QStringLiteral("SELECT * FROM ") + quoteName(sensorNumber) +
           QStringLiteral(" ORDER BY FullDate");
}

bool TableExists(app::AppState& state, const QString& path, const QString& name) {
    bool found = false;
    app::logAndLeave(state.log, QStringLiteral(" Module1_TableExists"), [&] {
        if (isEngineTable(name)) return;
        // The open connection already knows its schema; another file gets a
        // connection of its own, closed at once.
        if (state.cnDatabase && sameFile(state.cnDatabase->path(), path)) {
            found = state.cnDatabase->hasTable(name);
            return;
        }
        auto other = Database::open(path, /*readOnly=*/true);
        found = other->hasTable(name);
    });
    return found;
}

void AddDataTable(app::AppState& state, app::Prompter& prompter) {
    app::logAndLeave(state.log, QStringLiteral(" Module1_AddDataTable"), [&] {
        const QString id = currentSensorNumber(state);
        if (!TableExists(state, state.DBPath, id)) {
            copyTemplate(state.database(), id);
            return;
        }
        prompter.ask({texts::tableAlreadyExists(id), texts::AppTitle});
        const app::Prompt question{texts::overwriteTable(id), texts::TitleUpper, app::Icon::None,
                                   app::Buttons::YesNo};
        if (prompter.ask(question) != app::Answer::Yes) return;
        // Dropped and re-made together: a failure leaves the old table as it was.
        state.database().transaction([&] {
            state.database().execute(QStringLiteral("DROP TABLE ") + quoteName(id));
            copyTemplate(state.database(), id);
        });
    });
}

void OpenSensorData(app::AppState& state, app::Prompter& prompter) {
    app::logAndLeave(state.log, QStringLiteral(" Module1_OpenSensorData"), [&] {
        if (!state.rsSensors || state.rsSensors->isBOF() || state.rsSensors->isEOF()) {
            prompter.ask({texts::AddASensorFirst, texts::AppTitle});
            return;
        }
        const QString id = currentSensorNumber(state);
        if (!TableExists(state, state.DBPath, id)) {
            prompter.ask({texts::tableNotFound(id), texts::AppTitle});
            AddDataTable(state, prompter);
        }
        // The same sensor's readings, still open, are read again in place: a
        // requery sees every change and costs less than a new keyset.
        const QString query = readingsQuery(id);
        if (state.rsSensorData && state.rsSensorData->isOpen() &&
            state.rsSensorData->source() == query) {
            state.rsSensorData->Requery();
        } else {
            if (state.rsSensorData) {
                state.rsSensorData->Close();
                state.rsSensorData.reset();
            }
            state.rsSensorData = std::make_unique<RowSet>(state.database(), query);
        }
        if (state.rsSensorData->RecordCount() > 0) state.rsSensorData->MoveFirst();
    });
}

} // namespace store
