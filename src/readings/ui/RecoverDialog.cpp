#include "readings/ui/RecoverDialog.h"

#include "readings/ReadingKey.h"
#include "readings/Recovery.h"
#include "readings/Texts.h"
#include "readings/ui/RecycledModel.h"
#include "store/RecycleArea.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>

namespace readings {

namespace {

QDateEdit* dayPicker(const QString& name, QWidget* parent) {
    auto* d = new QDateEdit(parent);
    d->setObjectName(name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    return d;
}

} // namespace

RecoverDialog::RecoverDialog(app::AppState& state, const QString& currentSensor, QWidget* parent)
    : QDialog(parent), state_(state) {
    setObjectName(QStringLiteral("frmRecover"));
    setWindowTitle(texts::RecoverTitle);
    setModal(true);
    resize(560, 520);
    store::Database& db = state_.database();

    auto* grid = new QGridLayout(this);
    sensors_ = new QComboBox(this);
    sensors_->setObjectName(QStringLiteral("cboRecoverSensor"));
    QStringList numbers = sensorsInRecycleArea(db);
    if (!currentSensor.isEmpty() && !numbers.contains(currentSensor))
        numbers.prepend(currentSensor);
    sensors_->addItems(numbers);
    sensors_->setCurrentIndex(currentSensor.isEmpty() ? 0 : int(numbers.indexOf(currentSensor)));
    grid->addWidget(new QLabel(texts::RecoverSensor, this), 0, 0);
    grid->addWidget(sensors_, 0, 1);

    from_ = dayPicker(QStringLiteral("dtpRecoverFrom"), this);
    to_ = dayPicker(QStringLiteral("dtpRecoverTo"), this);
    auto* days = new QHBoxLayout;
    days->addWidget(new QLabel(texts::RecoverFrom, this));
    days->addWidget(from_);
    days->addWidget(new QLabel(texts::RecoverTo, this));
    days->addWidget(to_);
    days->addStretch();
    grid->addLayout(days, 1, 0, 1, 2);

    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grdRecycled"));
    model_ = new RecycledModel(grid_);
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid->addWidget(grid_, 2, 0, 1, 2);

    shown_ = new QLabel(this);
    shown_->setObjectName(QStringLiteral("lblRecycled"));
    shown_->setWordWrap(true);
    grid->addWidget(shown_, 3, 0, 1, 2);

    keep_ = new QSpinBox(this);
    keep_->setObjectName(QStringLiteral("spnKeepDays"));
    keep_->setRange(1, store::MaxRecycleKeepDays);
    keep_->setValue(store::recycleKeepDays(db));
    auto* keep = new QHBoxLayout;
    keep->addWidget(new QLabel(texts::KeepFor, this));
    keep->addWidget(keep_);
    keep->addWidget(new QLabel(texts::KeepDays, this));
    keep->addStretch();
    grid->addLayout(keep, 4, 0, 1, 2);

    recover_ = new QPushButton(texts::RecoverShown, this);
    recover_->setObjectName(QStringLiteral("cmdRecover"));
    recover_->setAutoDefault(false);
    auto* close = new QPushButton(texts::RecoverClose, this);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(recover_);
    buttons->addWidget(close);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    // Nothing of a file opened read-only is written.
    keep_->setEnabled(!state_.ReadOnly);

    connect(sensors_, &QComboBox::currentIndexChanged, this, [this] { showSensor(); });
    connect(from_, &QDateEdit::dateChanged, this, [this] { showReadings(); });
    connect(to_, &QDateEdit::dateChanged, this, [this] { showReadings(); });
    connect(recover_, &QPushButton::clicked, this, &RecoverDialog::recover);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    showSensor();
}

int RecoverDialog::keepDays() const {
    return keep_->value();
}

QString RecoverDialog::sensor() const {
    return sensors_->currentText();
}

void RecoverDialog::showSensor() {
    app::logAndLeave(state_.log, texts::RecoverLabel, [&] {
        const std::vector<RecycledReading> all = recycledReadings(state_.database(), sensor());
        QDate first = state_.env.clock->now().date(), last = first;
        if (!all.empty()) {
            // Listed by FullDate, which ReadingDate follows.
            const QDate a = storedDate(all.front().date), b = storedDate(all.back().date);
            if (a.isValid()) first = a;
            if (b.isValid()) last = b;
        }
        const QSignalBlocker blockFrom(from_), blockTo(to_);
        from_->setDate(first);
        to_->setDate(last);
    });
    showReadings();
}

void RecoverDialog::showReadings() {
    app::logAndLeave(state_.log, texts::RecoverLabel, [&] {
        store::Database& db = state_.database();
        const QString number = sensor();
        std::vector<RecycledReading> list;
        int all = 0;
        bool deleted = false;
        if (!number.isEmpty()) {
            list = recycledReadings(db, number, from_->date(), to_->date());
            all = int(recycledReadings(db, number).size());
            deleted = deletedSensor(db, number);
        }
        const int count = int(list.size());
        model_->setReadings(std::move(list));
        QString note = number.isEmpty() ? texts::RecycleAreaEmpty
                       : all == 0       ? texts::nothingRecycledOf(number)
                                        : texts::recycledShown(count, all);
        if (deleted) note += QStringLiteral("\r\n") + texts::deletedSensorNote(number);
        shown_->setText(note);
        recover_->setEnabled(!state_.ReadOnly && (count > 0 || deleted));
    });
}

void RecoverDialog::recover() {
    const QString number = sensor();
    Recovery done;
    std::exception_ptr failure;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        done = recoverReadings(state_.database(), number, from_->date(), to_->date());
    } catch (...) {
        failure = std::current_exception();
    }
    QApplication::restoreOverrideCursor();
    if (failure) {
        state_.log.WriteLog(app::errorEntry(failure, texts::RecoverLabel));
        state_.env.prompter->ask({texts::notRecovered(app::describeFailure(failure)),
                                  texts::AppTitle, app::Icon::Warning});
        return;
    }
    sensorRecovered_ = sensorRecovered_ || done.sensorRecovered;
    state_.env.prompter->ask(
        {texts::recoveredMessage(number, done.sensorRecovered, done.recovered, done.skipped),
         texts::AppTitle, app::Icon::Information});
    showReadings();
}

} // namespace readings
