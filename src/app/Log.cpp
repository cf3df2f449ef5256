#include "app/Log.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <cstdio>

namespace app {

namespace {

// A message is one line of the log: its line breaks become " / ".
QString oneLine(const QString& text) {
    QStringList parts =
        text.split(QRegularExpression(QStringLiteral("[\\r\\n]+")), Qt::SkipEmptyParts);
    for (QString& part : parts)
        part = part.trimmed();
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" / "));
}

// Long enough for any message of the engine, short enough to read.
constexpr qsizetype DescriptionLength = 500;

} // namespace

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
        const QString line = oneLine(message);
        QString trouble;
        if (folder_.isEmpty() || !QDir(folder_).exists()) {
            trouble = QStringLiteral("no data folder");
        } else {
            QFile file(path());
            if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
                trouble = file.errorString();
            } else {
                const QDateTime now = clock_ ? clock_->now() : QDateTime::currentDateTime();
                QByteArray entry;
                entry += "\r\n";
                entry += QByteArray(89, '*');
                entry += "\r\n";
                entry += (generalDateTime(now) + QStringLiteral(" - ") + line).toUtf8();
                entry += "\r\n";
                if (file.write(entry) != entry.size() || !file.flush())
                    trouble = file.errorString();
                file.close();
            }
        }
        // A full disk or a read-only folder loses the entry; standard error
        // still has it.
        if (!trouble.isEmpty())
            std::fprintf(stderr, "Tolvane: the log %s could not be written (%s): %s\n",
                         qUtf8Printable(path()), qUtf8Printable(trouble), qUtf8Printable(line));
    } catch (...) {
    }
}

QString errorEntry(int number, const QString& description, const QString& label) {
    QString text = oneLine(description);
    if (text.size() > DescriptionLength)
        text = text.left(DescriptionLength) + QStringLiteral("...");
    return QStringLiteral("Err #") + QString::number(number) + QStringLiteral(": ") + text + label;
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

QString describeFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const store::Error& e) {
        return e.description();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Internal error");
    }
}

} // namespace app
