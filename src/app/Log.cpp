#include "app/Log.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace app {

QString Log::path() const {
    return QDir(folder_).filePath(LogFileName);
}

QString generalDateTime(const QDateTime& when) {
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    // The long form carries the time zone ("t"), which the general form does not.
    timeFormat.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), timeFormat.trimmed());
}

void Log::WriteLog(const QString& message) const noexcept {
    try {
        if (folder_.isEmpty() || !QDir(folder_).exists()) return;
        QFile file(path());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
        const QDateTime now = clock_ ? clock_->now() : QDateTime::currentDateTime();
        QByteArray entry;
        entry += "\r\n";
        entry += QByteArray(89, '*');
        entry += "\r\n";
        entry += (generalDateTime(now) + QStringLiteral(" - ") + message).toUtf8();
        entry += "\r\n";
        file.write(entry);
        file.close();
    } catch (...) {
    }
}

QString errorEntry(int number, const QString& description, const QString& label) {
    return QStringLiteral("Err #") + QString::number(number) + QStringLiteral(": ") + description +
           label;
}

QString errorEntry(const std::exception_ptr& failure, const QString& label) {
    // 51 is the platform's "Internal error": a failure that is not the store's.
    try {
        std::rethrow_exception(failure);
    } catch (const store::Error& e) {
        return errorEntry(e.number(), e.description(), label);
    } catch (const std::exception& e) {
        return errorEntry(51, QString::fromLocal8Bit(e.what()), label);
    } catch (...) {
        return errorEntry(51, QStringLiteral("Internal error"), label);
    }
}

} // namespace app
