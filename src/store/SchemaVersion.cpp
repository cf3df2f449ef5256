#include "store/SchemaVersion.h"

namespace store {

const std::vector<SchemaStep>& schemaSteps() {
    static const std::vector<SchemaStep> steps{
        {2,
         QStringLiteral("settings kept by name"),
         {QStringLiteral("CREATE TABLE Settings (Name TEXT PRIMARY KEY NOT NULL, Value TEXT)")}},
    };
    return steps;
}

int currentSchemaVersion() {
    return schemaSteps().empty() ? FirstSchemaVersion : schemaSteps().back().version;
}

int schemaVersion(Database& db) {
    Statement st = db.prepare(QStringLiteral("PRAGMA user_version"));
    const int recorded = st.step() ? int(st.int64(0)) : 0;
    return recorded < FirstSchemaVersion ? FirstSchemaVersion : recorded;
}

void setSchemaVersion(Database& db, int version) {
    db.execute(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

void upgradeSchema(Database& db, const std::function<void(int version)>& afterStep) {
    db.immediateTransaction([&] {
        const int from = schemaVersion(db);
        if (from > currentSchemaVersion())
            throw Error(code::Error, QStringLiteral("the file is of schema version %1; this "
                                                    "program knows versions up to %2")
                                         .arg(from)
                                         .arg(currentSchemaVersion()));
        for (const SchemaStep& step : schemaSteps()) {
            if (step.version <= from) continue;
            for (const QString& statement : step.statements)
                db.execute(statement);
            setSchemaVersion(db, step.version);
            if (afterStep) afterStep(step.version);
        }
    });
}

} // namespace store
