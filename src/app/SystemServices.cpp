#include "app/SystemServices.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace app {

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

bool ShellDesktop::open(const QString& fileOrUrl) {
    // A plain path is a local file; anything with a scheme goes as it is.
    const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(fileOrUrl)
                                                  : QUrl::fromUserInput(fileOrUrl);
    return QDesktopServices::openUrl(url);
}

} // namespace app
