#include "readings/ui/QualityBox.h"

#include "app/Log.h"
#include "readings/Texts.h"
#include "readings/ui/ZeroReadingDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

namespace readings {

QualityBox::QualityBox(app::AppState& state, const ReadingControls& ui,
                       sensors::CurrentSensorOf current, std::function<bool()> saveShown,
                       QObject* parent)
    : QObject(parent), state_(state), ui_(ui), current_(std::move(current)),
      saveShown_(std::move(saveShown)) {
    connect(ui_.cboQuality, &QComboBox::activated, this,
            [this](int index) { store(Quality(index), ui_.txtQualityNote->text()); });
    connect(ui_.txtQualityNote, &QLineEdit::editingFinished, this, [this] {
        if (ui_.txtQualityNote->text() != flag_.note)
            store(Quality(ui_.cboQuality->currentIndex()), ui_.txtQualityNote->text());
    });
    connect(ui_.imgSetZero, &QToolButton::clicked, this, &QualityBox::setZero);
    clear();
}

void QualityBox::show(const QString& key, const QString& fullDate) {
    key_ = key;
    fullDate_ = fullDate;
    flag_ = {};
    app::logAndLeave(state_.log, texts::QualityLabel, [&] {
        if (const auto flag = qualityOf(state_.database(), current_().number, key)) flag_ = *flag;
    });
    showFlag();
}

void QualityBox::clear() {
    key_.clear();
    fullDate_.clear();
    flag_ = {};
    showFlag();
}

void QualityBox::showFlag() {
    const bool reading = !key_.isEmpty();
    ui_.cboQuality->setEnabled(reading);
    ui_.txtQualityNote->setEnabled(reading);
    ui_.cboQuality->setCurrentIndex(int(flag_.quality));
    ui_.txtQualityNote->setText(flag_.note);
    // The whole note, however long, where the box is too narrow for it.
    ui_.txtQualityNote->setToolTip(flag_.note);
    ui_.txtQualityNote->setCursorPosition(0);
    ui_.cboQuality->setStyleSheet(
        flag_.quality == Quality::Invalid   ? QStringLiteral("color: #b00000;")
        : flag_.quality == Quality::Suspect ? QStringLiteral("color: #a06000;")
                                            : QString());
}

void QualityBox::store(Quality quality, const QString& note) {
    if (key_.isEmpty()) return;
    try {
        setQuality(state_.database(), current_().number, {key_}, quality, note);
        flag_.quality = quality;
        flag_.note = note;
    } catch (const store::Error& e) {
        // A refusal is the user's to hear; a failure of the file is logged too.
        if (e.number() != store::code::NotFound && e.number() != store::code::Mismatch)
            state_.log.WriteLog(app::errorEntry(e.number(), e.description(), texts::QualityLabel));
        state_.env.prompter->ask({texts::qualityNotSet(momentText(fullDate_), e.description()),
                                  texts::QualityTitle, app::Icon::Warning});
    }
    showFlag();
}

void QualityBox::setZero() {
    if (key_.isEmpty() || !saveShown_()) return;
    const sensors::CurrentSensor sensor = current_();
    ZeroReadingDialog dialog(state_.database(), *state_.env.prompter, sensor.number, fullDate_,
                             sensor.nodes, ui_.SSTab1 ? ui_.SSTab1->window() : nullptr);
    dialog.exec();
}

} // namespace readings
