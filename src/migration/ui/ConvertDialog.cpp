#include "migration/ui/ConvertDialog.h"

#include "app/DataFolder.h"
#include "app/Log.h"
#include "app/Texts.h"
#include "migration/Migration.h"
#include "migration/Texts.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>

namespace migration {

namespace {

std::optional<QString> convert(app::AppState& state, const QString& path) {
    app::Prompter& prompter = *state.env.prompter;
    // Another program's file, or one that cannot be read, is refused before
    // anything is offered.
    checkJetFile(*JetFile::open(path));
    app::Prompt offer;
    offer.text = texts::OfferConversion;
    offer.title = app::texts::AppTitle;
    offer.icon = app::Icon::Question;
    offer.buttons = app::Buttons::YesNo;
    if (prompter.ask(offer) != app::Answer::Yes) return std::nullopt;

    // Shown only when the work takes longer than a moment.
    QProgressDialog progress(texts::copying(QFileInfo(path).fileName()), QObject::tr("Cancel"), 0,
                             1000, QApplication::activeWindow());
    progress.setObjectName(QStringLiteral("frmConvert"));
    progress.setWindowTitle(texts::ProgressTitle);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(1000);
    progress.setAutoReset(false);
    const Progress tell = [&](const QString& what, qint64 done, qint64 total) {
        if (!what.isEmpty()) progress.setLabelText(what);
        progress.setValue(int(total > 0 ? done * 1000 / total : 1000));
        return !progress.wasCanceled();
    };
    try {
        store::Actor by;
        by.user = store::systemUserName();
        if (state.env.clock) by.now = [clock = state.env.clock] { return clock->now(); };
        const Migration m = migrate(path, {}, tell, by);
        progress.close();
        app::writeLocationFile(state.DataFolder, m.converted);
        prompter.ask({texts::converted(QDir::toNativeSeparators(m.converted),
                                       QDir::toNativeSeparators(m.report)),
                      app::texts::AppTitle, app::Icon::Information});
        return m.converted;
    } catch (const store::Error& e) {
        progress.close();
        // A cancel is the user's own choice, not a failure to log.
        if (e.number() != store::code::Interrupt) throw;
        prompter.ask({e.description(), app::texts::AppTitle, app::Icon::Information});
        return std::nullopt;
    }
}

} // namespace

std::optional<QString> offerConversion(app::AppState& state, const QString& path) {
    try {
        return convert(state, path);
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        state.log.WriteLog(app::errorEntry(failure, texts::ConvertLabel));
        state.env.prompter->ask(
            {app::describeFailure(failure) + QStringLiteral("\n") + QDir::toNativeSeparators(path),
             app::texts::AppTitle, app::Icon::Critical});
        return std::nullopt;
    }
}

} // namespace migration
