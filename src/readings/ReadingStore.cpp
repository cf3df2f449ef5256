#include "readings/ReadingStore.h"

#include "app/TextFormat.h"
#include "readings/ReadingKey.h"
#include "readings/Texts.h"
#include "store/Database.h"

namespace readings {

namespace {

const QString DateTimeKey = QStringLiteral("DateTimeKey");
const QString FullDate = QStringLiteral("FullDate");
const QString ReadingDate = QStringLiteral("ReadingDate");
const QString ReadingTime = QStringLiteral("ReadingTime");
const QString ChannelT = QStringLiteral("ChannelT");
const QString Plottemporal = QStringLiteral("Plottemporal");
const QString PlotSpatial = QStringLiteral("PlotSpatial");
const QString IsDirty = QStringLiteral("IsDirty");

QString channelColumn(int i) {
    return QStringLiteral("Channel%1").arg(i);
}

store::RowSet& readingsOf(const app::AppState& state) {
    if (!state.rsSensorData || !state.rsSensorData->isOpen())
        throw store::Error(store::code::Misuse, QStringLiteral("no readings are open"));
    return *state.rsSensorData;
}

// The key and the three date columns every writer keeps in step.
void writeWhen(store::RowSet& rs, const QString& sensorNumber, const QDate& date,
               const QTime& time) {
    rs.setValue(DateTimeKey, readingKey(sensorNumber, date, time));
    rs.setValue(FullDate, fullDateText(date, time));
    rs.setValue(ReadingDate, keyDate(date));
    rs.setValue(ReadingTime, keyTime(time));
}

bool storedFalse(const QVariant& v) {
    return !v.isNull() && v.toLongLong() == 0;
}

} // namespace

QString currentSensorNumber(const app::AppState& state) {
    return state.sensorRegister().value(QStringLiteral("InstrumentID")).toString();
}

QString shownValue(const QVariant& value) {
    if (value.isNull()) return {};
    if (value.typeId() == QMetaType::Double) return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

Reading readReading(const store::RowSet& rs) {
    Reading r;
    r.key = shownValue(rs.value(DateTimeKey));
    r.date = storedDate(shownValue(rs.value(ReadingDate)));
    r.time = storedTime(shownValue(rs.value(ReadingTime)));
    if (!r.date.isValid() || !r.time.isValid())
        throw store::Error(
            store::code::Mismatch,
            QStringLiteral("the date or time of reading %1 cannot be read").arg(r.key));
    r.channelT = shownValue(rs.value(ChannelT));
    for (int i = 1; i <= 8; ++i)
        r.channels[size_t(i)] = shownValue(rs.value(channelColumn(i)));
    r.temporal = !storedFalse(rs.value(Plottemporal));
    r.spatial = !storedFalse(rs.value(PlotSpatial));
    return r;
}

void storeReading(store::RowSet& rs, const QString& sensorNumber, const Reading& typed,
                  const Reading* shown) {
    // Only what changed since the reading was shown: an unchanged box never
    // writes over what another program stored meanwhile.
    try {
        if (!shown || typed.date != shown->date || typed.time != shown->time)
            writeWhen(rs, sensorNumber, typed.date, typed.time);
        if (!shown || typed.channelT != shown->channelT)
            rs.setValue(ChannelT, app::withDecimalPoint(typed.channelT));
        for (size_t i = 1; i <= 8; ++i)
            if (!shown || typed.channels[i] != shown->channels[i])
                rs.setValue(channelColumn(int(i)),
                            app::formatNumber(app::withDecimalPoint(typed.channels[i]),
                                              app::NumberFormat::Fixed2));
        if (!shown || typed.temporal != shown->temporal) rs.setValue(Plottemporal, typed.temporal);
        if (!shown || typed.spatial != shown->spatial) rs.setValue(PlotSpatial, typed.spatial);
    } catch (...) {
        // What was written before the refused column stays written.
        app::ignoreFailure([&] { rs.Update(); });
        throw;
    }
    rs.Update();
}

bool addReading(app::AppState& state, app::Prompter& prompter, const QDateTime& now) {
    store::RowSet& rs = readingsOf(state);
    const QString number = currentSensorNumber(state);
    const QDate date = now.date();
    const QTime time(now.time().hour(), now.time().minute(), now.time().second());
    const int shown = rs.AbsolutePosition();
    if (DupID(state, readingKey(number, date, time), NoPosition)) {
        // The look-up moved to the reading that holds the key; the one shown
        // must stay current, or the next save would write it over that one.
        if (shown > 0) rs.setAbsolutePosition(shown);
        prompter.ask({texts::DuplicateNow, texts::DuplicateTitle});
        return false;
    }
    rs.AddNew();
    writeWhen(rs, number, date, time);
    rs.setValue(Plottemporal, true);
    rs.setValue(PlotSpatial, false);
    rs.setValue(IsDirty, true);
    rs.Update();
    rs.Requery();
    rs.MoveLast();
    return true;
}

MoveResult moveReading(app::AppState& state, const QDate& date, const QTime& time) {
    store::RowSet& rs = readingsOf(state);
    state.CurrentReadingPos = rs.AbsolutePosition();
    const QString number = currentSensorNumber(state);
    const QString key = readingKey(number, date, time);
    if (rs.value(DateTimeKey).toString() == key) return MoveResult::Unchanged;
    const bool taken = DupID(state, key, state.CurrentReadingPos);
    rs.setAbsolutePosition(state.CurrentReadingPos);
    if (taken) return MoveResult::Taken;
    writeWhen(rs, number, date, time);
    rs.Update();
    rs.Requery();
    findReading(rs, key);
    return rs.isEOF() ? MoveResult::Lost : MoveResult::Moved;
}

int deleteBetween(app::AppState& state, const QDate& start, const QDate& end) {
    store::Database& db = state.database();
    const QString table = store::quoteName(readingsOf(state).tableName());
    int deleted = 0;
    db.transaction([&] {
        store::Statement st =
            db.prepare(QStringLiteral("DELETE FROM ") + table +
                       QStringLiteral(" WHERE ReadingDate >= ?1 AND ReadingDate <= ?2"));
        st.bind(1, keyDate(start));
        st.bind(2, keyDate(end));
        st.run();
        deleted = db.changes();
    });
    return deleted;
}

void deleteAll(app::AppState& state) {
    state.database().execute(QStringLiteral("DELETE FROM ") +
                             store::quoteName(currentSensorNumber(state)));
}

} // namespace readings
