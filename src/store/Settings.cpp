#include "store/Settings.h"

namespace store {

std::optional<QString> readSetting(Database& db, const QString& name) {
    if (!db.hasTable(SettingsTable)) return std::nullopt;
    Statement st = db.prepare(QStringLiteral("SELECT Value FROM Settings WHERE Name = ?1"));
    st.bind(1, name);
    if (!st.step()) return std::nullopt;
    return st.text(0);
}

void writeSetting(Database& db, const QString& name, const QString& value) {
    db.transaction([&] {
        Statement st =
            db.prepare(QStringLiteral("INSERT INTO Settings (Name, Value) VALUES (?1, ?2) "
                                      "ON CONFLICT (Name) DO UPDATE SET Value = excluded.Value"));
        st.bind(1, name);
        st.bind(2, value);
        st.run();
    });
}

bool readFlag(Database& db, const QString& name, bool byDefault) {
    const std::optional<QString> text = readSetting(db, name);
    if (text == QLatin1String("1")) return true;
    if (text == QLatin1String("0")) return false;
    return byDefault;
}

void writeFlag(Database& db, const QString& name, bool value) {
    writeSetting(db, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace store
