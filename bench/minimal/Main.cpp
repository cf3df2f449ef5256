// The cold start's limit: a minimal Qt program that counts the register of a
// database file and shows one widget, then says so at its first paint.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

class FirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // After the paint: the whole widget is drawn by then.
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool seen_ = false;
};

} // namespace

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
    FirstPaint firstPaint;
    label.installEventFilter(&firstPaint);
    label.resize(400, 200);
    label.show();
    return QApplication::exec();
}
