// The cold start's limit: a minimal Qt program that counts the register of a
// database file and shows one widget, then says so at its first paint.
#include "app/ui/FirstPaint.h"

#include <QApplication>
#include <QLabel>

#include <sqlite3.h>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc < 2) return 2;
    sqlite3* db = nullptr;
    long long sensors = -1;
    if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM Sensors", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            sensors = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    if (sensors < 0) return 1;
    QLabel label(QStringLiteral("%1 sensors").arg(sensors));
    app::ExitAfterFirstPaint firstPaint;
    label.installEventFilter(&firstPaint);
    label.resize(400, 200);
    label.show();
    return QApplication::exec();
}
