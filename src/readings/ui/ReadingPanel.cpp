#include "readings/ui/ReadingPanel.h"

#include "app/TextFormat.h"
#include "app/shell/SaveFailure.h"
#include "app/ui/KeyAscii.h"
#include "readings/ReadingKey.h"
#include "readings/ReadingStore.h"
#include "readings/Texts.h"
#include "readings/ui/BatchDeleteDialog.h"
#include "readings/ui/QualityBox.h"
#include "readings/ui/ReadingTableQuestions.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolButton>

namespace readings {

ReadingPanel::ReadingPanel(app::AppState& state, const ReadingControls& ui,
                           sensors::CurrentSensorOf current, QObject* parent)
    : QObject(parent), state_(state), ui_(ui), current_(std::move(current)) {
    connect(ui_.imgFirst, &QToolButton::clicked, this, [this] { step(Step::First); });
    connect(ui_.imgLast, &QToolButton::clicked, this, [this] { step(Step::Last); });
    connect(ui_.imgNextData, &QToolButton::clicked, this, [this] { step(Step::Next); });
    connect(ui_.imgPrevData, &QToolButton::clicked, this, [this] { step(Step::Previous); });
    connect(ui_.imgAddReading, &QToolButton::clicked, this, &ReadingPanel::addReading);
    connect(ui_.imgDeleteReading, &QToolButton::clicked, this, &ReadingPanel::deleteReading);

    // A picker's value counts as the user's once the user is done with it: on
    // leaving it or pressing Enter, or on a day picked from its calendar. Values
    // typed part by part never move the reading half-way.
    connect(ui_.dtpRdate, &QDateEdit::editingFinished, this, [this] { pickerEdited(true); });
    connect(ui_.dtpRtime, &QTimeEdit::editingFinished, this, [this] { pickerEdited(false); });
    connect(
        ui_.dtpRdate->calendarWidget(), &QCalendarWidget::clicked, this,
        [this] { pickerEdited(true); }, Qt::QueuedConnection);

    for (int i = 1; i <= 8; ++i)
        ui_.txtChannel[size_t(i)]->installEventFilter(this);
    ui_.txtChannelT->installEventFilter(this);
    if (ui_.cboQuality)
        quality_ = new QualityBox(
            state_, ui_, current_, [this] { return SaveReadings(); }, this);
}

ReadingPanel::~ReadingPanel() = default;

bool ReadingPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int ch = app::keyAscii(static_cast<QKeyEvent*>(event));
        if (ch >= 0 && !acceptsValueKey(QChar(ch))) return true;
    }
    return QObject::eventFilter(watched, event);
}

store::RowSet* ReadingPanel::readings() const {
    store::RowSet* rs = state_.rsSensorData.get();
    return rs && rs->isOpen() ? rs : nullptr;
}

bool ReadingPanel::hasRows() const {
    const store::RowSet* rs = readings();
    return rs && rs->RecordCount() > 0;
}

void ReadingPanel::setPickers(const QDate& date, const QTime& time) {
    // Values put in here are the program's, not the user's: no check runs.
    const QSignalBlocker date_(ui_.dtpRdate), time_(ui_.dtpRtime);
    ui_.dtpRdate->setDate(date);
    ui_.dtpRtime->setTime(time);
}

void ReadingPanel::showCounter() {
    const store::RowSet* rs = readings();
    if (!rs) return;
    ui_.txtRcount->setText(texts::counter(rs->AbsolutePosition(), rs->RecordCount()));
}

void ReadingPanel::showReading(const Reading& r) {
    ui_.lblError->hide();
    ui_.txtReadingID->setText(r.key);
    setPickers(r.date, r.time);
    ui_.txtChannelT->setText(r.channelT);
    for (int i = 1; i <= 8; ++i)
        ui_.txtChannel[size_t(i)]->setText(r.channels[size_t(i)]);
    ui_.chkTemporal->setChecked(r.temporal);
    ui_.chkSpatial->setChecked(r.spatial);
    if (quality_) quality_->show(r.key, fullDateText(r.date, r.time));
    showCounter();
    CheckFutureDate();
    shown_ = std::make_unique<Reading>(typedReading());
    toldFailure_.clear();
}

void ReadingPanel::showUnsaved() {
    ui_.txtChannelT->setText(unsaved_->channelT);
    for (int i = 1; i <= 8; ++i)
        ui_.txtChannel[size_t(i)]->setText(unsaved_->channels[size_t(i)]);
    ui_.chkTemporal->setChecked(unsaved_->temporal);
    ui_.chkSpatial->setChecked(unsaved_->spatial);
}

void ReadingPanel::showEmpty() {
    if (quality_) quality_->clear();
    ui_.txtReadingID->clear();
    setPickers(state_.env.clock->now().date(), storedTime(texts::NoonTime));
    ui_.txtChannelT->clear();
    for (int i = 1; i <= 8; ++i)
        ui_.txtChannel[size_t(i)]->clear();
}

void ReadingPanel::fillreadings() {
    app::logAndLeave(state_.log, texts::FillReadingsLabel, [&] {
        const store::RowSet* rs = readings();
        shownRow_ = 0;
        if (rs && rs->RecordCount() > 0 && !rs->isBOF() && !rs->isEOF()) {
            showReading(readReading(*rs));
            shownRow_ = rs->Bookmark();
            if (unsaved_ && unsavedRow_ == shownRow_ && unsavedTable_ == rs->tableName())
                showUnsaved();
        } else if (rs && rs->RecordCount() > 0) {
            showEmpty();
            prompter().ask({texts::NoReadingsFound, texts::CannotMove, app::Icon::Warning});
        } else {
            showEmpty();
            ui_.lblError->setText(texts::NoReadingsYet);
            ui_.lblError->show();
        }
    });
}

Reading ReadingPanel::typedReading() const {
    Reading typed;
    typed.date = ui_.dtpRdate->date();
    typed.time = ui_.dtpRtime->time();
    typed.channelT = ui_.txtChannelT->text();
    for (int i = 1; i <= 8; ++i)
        typed.channels[size_t(i)] = ui_.txtChannel[size_t(i)]->text();
    typed.temporal = ui_.chkTemporal->isChecked();
    typed.spatial = ui_.chkSpatial->isChecked();
    return typed;
}

bool ReadingPanel::SaveReadings() {
    store::RowSet* rs = readings();
    if (!rs || rs->RecordCount() == 0 || rs->isBOF() || rs->isEOF()) return true;
    if (rs->Bookmark() != shownRow_) return true;
    const Reading typed = typedReading();
    QString number;
    std::exception_ptr failure;
    app::logAndLeave(state_.log, texts::SaveReadingsLabel, [&] {
        try {
            number = current_().number;
            storeReading(*rs, number, typed, shown_.get());
        } catch (...) {
            failure = std::current_exception();
            throw;
        }
    });
    if (!failure) {
        shown_ = std::make_unique<Reading>(typed);
        toldFailure_.clear();
        unsaved_.reset();
        return true;
    }
    unsaved_ = std::make_unique<Reading>(typed);
    unsavedRow_ = shownRow_;
    unsavedTable_ = rs->tableName();
    QStringList numbers(typed.channels.begin() + 1, typed.channels.end());
    const QString message = texts::readingNotSaved(number, keyDate(typed.date), keyTime(typed.time),
                                                   app::saveFailureReason(failure, numbers));
    // Saves run at many moves: one failure is told once.
    if (message != toldFailure_) {
        toldFailure_ = message;
        prompter().ask({message, texts::AppTitle, app::Icon::Warning});
    }
    return false;
}

void ReadingPanel::CheckFutureDate() {
    if (ui_.dtpRdate->date() > state_.env.clock->now().date()) {
        ui_.lblError->setText(texts::FutureDate);
        ui_.lblError->show();
    } else {
        ui_.lblError->hide();
    }
}

void ReadingPanel::pickerEdited(bool dateEdited) {
    if (checking_) return;
    if (dateEdited) CheckFutureDate();
    CheckDateTime();
}

void ReadingPanel::CheckDateTime() {
    // A message box takes the focus from the picker, which ends its edit
    // again: that second round must not check a second time.
    if (checking_) return;
    checking_ = true;
    const QDate date = ui_.dtpRdate->date();
    const QTime time = ui_.dtpRtime->time();
    app::ignoreFailure([&] {
        store::RowSet* rs = readings();
        if (!rs || shownRow_ == 0) return;
        // The picker's edit can end again after another command reopened or
        // moved the readings: the check is of the shown reading, wherever the
        // cursor went, and its own key is never a duplicate.
        const QString number = current_().number;
        MoveResult moved = MoveResult::Unchanged;
        try {
            moved = moveReading(*rs, number, shownRow_, date, time);
        } catch (...) {
            // The reading stays where it was stored, and the pickers say so.
            const std::exception_ptr failure = std::current_exception();
            state_.log.WriteLog(app::errorEntry(failure, texts::SaveReadingsLabel));
            if (shown_) {
                prompter().ask(
                    {texts::readingNotMoved(number, keyDate(shown_->date), keyTime(shown_->time),
                                            keyDate(date), keyTime(time),
                                            app::saveFailureReason(failure, {})),
                     texts::AppTitle, app::Icon::Warning});
                setPickers(shown_->date, shown_->time);
            }
            return;
        }
        switch (moved) {
        case MoveResult::Unchanged:
            break;
        case MoveResult::Moved:
            // The reading is stored under its new date; values typed before
            // the date was changed go with it.
            if (shown_) {
                shown_->date = date;
                shown_->time = time;
            }
            if (SaveReadings()) {
                fillreadings();
            } else {
                ui_.txtReadingID->setText(readingKey(number, date, time));
                showCounter();
            }
            break;
        case MoveResult::Lost:
            prompter().ask({texts::MovedReadingLost, texts::AppTitle});
            break;
        case MoveResult::Taken: {
            prompter().ask(
                {texts::duplicateAt(keyDate(date), keyTime(time)), texts::DuplicateTitle});
            const Reading stored = readReading(*readings());
            setPickers(stored.date, stored.time);
            ui_.dtpRdate->setFocus();
            break;
        }
        }
    });
    checking_ = false;
}

void ReadingPanel::step(Step s) {
    static const QString* const labels[] = {&texts::FirstLabel, &texts::LastLabel,
                                            &texts::NextLabel, &texts::PreviousLabel};
    app::logAndLeave(state_.log, *labels[int(s)], [&] {
        if (!hasRows()) return;
        // A reading whose typing could not be stored stays shown, with it.
        if (!SaveReadings()) return;
        store::RowSet& rs = *readings();
        const int position = rs.AbsolutePosition();
        const int count = rs.RecordCount();
        const QString* refusal = nullptr;
        switch (s) {
        case Step::First:
            if (position != 1)
                rs.MoveFirst();
            else
                refusal = &texts::StartOfReadings;
            break;
        case Step::Last:
            if (position != count)
                rs.MoveLast();
            else
                refusal = &texts::EndOfReadings;
            break;
        case Step::Next:
            if (position != count && !rs.isEOF())
                rs.MoveNext();
            else
                refusal = &texts::EndOfReadings;
            break;
        case Step::Previous:
            if (position != 1 && !rs.isBOF())
                rs.MovePrevious();
            else
                refusal = &texts::StartOfReadings;
            break;
        }
        if (refusal) {
            prompter().ask({*refusal, texts::AppTitle});
            return;
        }
        fillreadings();
        showCounter();
    });
}

void ReadingPanel::addReading() {
    app::logAndLeave(state_.log, texts::AddReadingLabel, [&] {
        // No readings open: no sensor to add them to (entering the tab said so).
        if (!readings()) return;
        if (hasRows() && !SaveReadings()) return;
        const AddResult added =
            readings::addReading(*readings(), current_().number, state_.env.clock->now());
        if (added == AddResult::Duplicate) {
            prompter().ask({texts::DuplicateNow, texts::DuplicateTitle});
            ui_.dtpRdate->setFocus();
            return;
        }
        showCounter();
        fillreadings();
    });
}

void ReadingPanel::showLastLeft() {
    store::RowSet& rs = *readings();
    if (rs.RecordCount() > 0) {
        rs.MoveLast();
        fillreadings();
        showCounter();
    } else {
        fillreadings();
        ui_.txtRcount->setText(texts::counter(0, 0));
    }
}

void ReadingPanel::deleteReading() {
    app::logAndLeave(state_.log, texts::DeleteLabel, [&] {
        if (!readings()) return;
        if (!deletion_) deletion_ = new BatchDeleteDialog(*state_.env.clock, ui_.SSTab1->window());
        const std::optional<BatchDeleteChoice> choice = deletion_->choose();
        if (!choice) return;
        store::RowSet& rs = *readings();
        switch (choice->kind) {
        case BatchDeleteChoice::Kind::Single:
            readings::deleteReading(rs, rs.Bookmark());
            showLastLeft();
            if (rs.RecordCount() > 0) remember(rs);
            break;
        case BatchDeleteChoice::Kind::Batch: {
            const int deleted =
                deleteBetween(state_.database(), rs.tableName(), choice->start, choice->end);
            rs.Requery();
            showLastLeft();
            prompter().ask({texts::batchDeleted(deleted, app::shortDate(choice->start),
                                                app::shortDate(choice->end)),
                            texts::AppTitle});
            if (rs.RecordCount() > 0) remember(rs);
            break;
        }
        case BatchDeleteChoice::Kind::All:
            deleteAll(state_.database(), current_().number);
            rs.Requery();
            fillreadings();
            ui_.txtRcount->setText(texts::counter(0, 0));
            break;
        }
    });
}

void ReadingPanel::remember(const store::RowSet& rs) {
    bookmark_ = rs.Bookmark();
    bookmarkTable_ = rs.tableName();
}

void ReadingPanel::enterReadingsTab() {
    returnToBookmark();
    app::ignoreFailure([&] {
        const QString working = state_.DataFolder + QLatin1Char('/') + texts::ImportWorkingFile;
        if (QFile::exists(working)) QFile::remove(working);
    });
}

void ReadingPanel::rememberShown() {
    app::ignoreFailure([&] {
        if (store::RowSet* rs = readings()) remember(*rs);
    });
}

void ReadingPanel::returnToBookmark() {
    app::ignoreFailure([&] { OpenSensorData(state_, prompter()); });
    // A bookmark is a row of one sensor's table: another sensor's readings
    // (chosen through the filter, say) start at their last reading.
    if (!readings() || readings()->tableName() != bookmarkTable_) bookmark_ = 0;
    app::ignoreFailure([&] {
        store::RowSet* rs = readings();
        if (rs && rs->RecordCount() > 0) {
            // A bookmark whose reading went meanwhile falls back to the last.
            bool returned = false;
            if (bookmark_ != 0) {
                try {
                    rs->setBookmark(bookmark_);
                    returned = true;
                } catch (const store::Error&) {
                }
            }
            if (!returned) rs->MoveLast();
            fillreadings();
            showCounter();
        } else {
            ui_.txtRcount->setText(texts::counter(0, 0));
            fillreadings();
            bookmark_ = 0;
        }
    });
}

void ReadingPanel::leaveReadingsTab() {
    rememberShown();
    SaveReadings();
}

} // namespace readings
