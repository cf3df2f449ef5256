#include "app/Manual.h"
#include "app/Pictures.h"

#include <QFile>
#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

// The manual's source is compiled into a static library, whose resources are
// only registered when asked; Q_INIT_RESOURCE must be used outside a namespace.
static void registerManualResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(tolvane);
        return true;
    }();
    (void)registered;
}

namespace app {

namespace {

QString manualHtml() {
    registerManualResources();
    QFile source(QStringLiteral(":/manual/manual.html"));
    if (!source.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(source.readAll());
}

} // namespace

bool writeManual(const QString& pdfPath) {
    const QString html = manualHtml();
    if (html.isEmpty() || pdfPath.isEmpty()) return false;
    // Written beside the target and renamed over it, so a failure leaves no half manual.
    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly)) return false;
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("Tolvane Manual"));
        writer.setCreator(QStringLiteral("Tolvane"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(20, 18, 20, 18), QPageLayout::Millimeter));

        QTextDocument document;
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("logo")),
                             pictures::logo());
        document.setDefaultFont([] {
            QFont f(QStringLiteral("DejaVu Sans"));
            f.setPointSizeF(10);
            return f;
        }());
        document.setHtml(html);
        document.print(&writer);
    }
    return file.commit();
}

} // namespace app
