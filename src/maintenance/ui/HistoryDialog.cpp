#include "maintenance/ui/HistoryDialog.h"

#include "maintenance/HistoryModel.h"
#include "maintenance/Texts.h"
#include "store/Schema.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace maintenance {

namespace {

// The sensors of the register and those only the trail still names (deleted
// ones), in text order.
QStringList sensorChoices(store::Database& db) {
    QStringList numbers = store::auditedSensors(db);
    if (db.hasTable(store::table::Sensors)) {
        store::Statement st = db.prepare(QStringLiteral("SELECT InstrumentID FROM Sensors"));
        while (st.step())
            numbers << st.text(0);
    }
    numbers.removeAll(QString());
    numbers.sort();
    numbers.removeDuplicates();
    return numbers;
}

QDateEdit* dayPicker(const QString& name, const QDate& day, QWidget* parent) {
    auto* picker = new QDateEdit(day, parent);
    picker->setObjectName(name);
    picker->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    picker->setCalendarPopup(true);
    picker->setEnabled(false);
    return picker;
}

} // namespace

HistoryDialog::HistoryDialog(store::Database& db, const app::Clock& clock, const QString& sensor,
                             QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(texts::HistoryTitle);
    setModal(true);

    sensor_ = new QComboBox(this);
    sensor_->setObjectName(QStringLiteral("cboHistorySensor"));
    sensor_->addItem(texts::AllSensors, QString());
    for (const QString& number : sensorChoices(db))
        sensor_->addItem(number, number);
    sensor_->setCurrentIndex(std::max(0, sensor_->findData(sensor)));

    const QDate today = clock.now().date();
    useFrom_ = new QCheckBox(texts::FromCaption, this);
    useFrom_->setObjectName(QStringLiteral("chkHistoryFrom"));
    from_ = dayPicker(QStringLiteral("dtpHistoryFrom"), today.addMonths(-1), this);
    useTo_ = new QCheckBox(texts::ToCaption, this);
    useTo_->setObjectName(QStringLiteral("chkHistoryTo"));
    to_ = dayPicker(QStringLiteral("dtpHistoryTo"), today, this);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("lblHistoryCount"));

    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(texts::SensorFilterCaption, this));
    filters->addWidget(sensor_);
    filters->addSpacing(16);
    filters->addWidget(useFrom_);
    filters->addWidget(from_);
    filters->addSpacing(8);
    filters->addWidget(useTo_);
    filters->addWidget(to_);
    filters->addStretch(1);
    filters->addWidget(count_);

    model_ = new HistoryModel(db, this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grdHistory"));
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setWordWrap(false);
    grid_->setTextElideMode(Qt::ElideRight);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    // Fixed widths: sizing to the contents would read every entry.
    const int widths[] = {140, 80, 120, 80, 225, 175, 175, 50, 120};
    for (int c = 0; c < HistoryModel::Columns; ++c)
        grid_->setColumnWidth(c, widths[c]);
    grid_->horizontalHeader()->setStretchLastSection(true);

    auto* close = new QPushButton(texts::CloseCaption, this);
    close->setObjectName(QStringLiteral("cmdClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);
    resize(1240, 600);

    connect(sensor_, &QComboBox::activated, this, &HistoryDialog::applyFilter);
    for (QCheckBox* use : {useFrom_, useTo_})
        connect(use, &QCheckBox::toggled, this, [this] {
            from_->setEnabled(useFrom_->isChecked());
            to_->setEnabled(useTo_->isChecked());
            applyFilter();
        });
    for (QDateEdit* picker : {from_, to_})
        connect(picker, &QDateEdit::dateChanged, this, &HistoryDialog::applyFilter);
    applyFilter();
}

void HistoryDialog::applyFilter() {
    store::AuditQuery q;
    q.sensor = sensor_->currentData().toString();
    if (useFrom_->isChecked()) q.from = from_->date();
    if (useTo_->isChecked()) q.to = to_->date();
    model_->setQuery(q);
    count_->setText(texts::historyCount(model_->rowCount()));
    // Newest last, and in sight.
    grid_->scrollToBottom();
    if (model_->rowCount() > 0) grid_->selectRow(model_->rowCount() - 1);
}

} // namespace maintenance
