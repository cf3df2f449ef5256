#include "importer/ui/CalibrationDialog.h"

#include "importer/Calibration.h"
#include "operations/CalibrationForm.h"
#include "operations/Operations.h"
#include "readings/Quality.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace importer {

namespace {

const QString Title = QStringLiteral("Calibrations");

QLineEdit* box(const QString& name, const QString& placeholder, QWidget* parent) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(name);
    b->setPlaceholderText(placeholder);
    return b;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QString steinhartDefaults() {
    const Thermistor t;
    return QStringLiteral("%1,%2,%3")
        .arg(QString::number(t.a, 'g', 10), QString::number(t.b, 'g', 10),
             QString::number(t.c, 'g', 10));
}

} // namespace

CalibrationDialog::CalibrationDialog(store::Database& db, app::Prompter& prompter,
                                     const QString& sensorNumber, int channels,
                                     const QDateTime& now, bool readOnly, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter), number_(sensorNumber), readOnly_(readOnly) {
    setObjectName(QStringLiteral("frmCalibrations"));
    setWindowTitle(QStringLiteral("Calibrations of %1").arg(sensorNumber));

    const QStringList columns = operations::calibrationColumns();
    list_ = new QTableWidget(0, int(columns.size()), this);
    list_->setObjectName(QStringLiteral("tblCalibrations"));
    list_->setHorizontalHeaderLabels(columns);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setMinimumSize(860, 220);

    channel_ = new QComboBox(this);
    channel_->setObjectName(QStringLiteral("cboCalChannel"));
    channel_->addItem(operations::calibrationChannelText(0), 0);
    // A sensor whose type gives no anchor count may use any channel the store takes.
    const int gauges = channels > 0 ? std::min(channels, 10) : 10;
    for (int k = 1; k <= gauges; ++k)
        channel_->addItem(operations::calibrationChannelText(k), k);
    channel_->setCurrentIndex(1);
    from_ = box(QStringLiteral("txtCalFrom"), QStringLiteral("YYYY/MM/DD HH:MM:SS"), this);
    from_->setText(now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    kind_ = new QComboBox(this);
    kind_->setObjectName(QStringLiteral("cboCalKind"));
    kind_->addItems(
        {QStringLiteral("linear"), QStringLiteral("polynomial"), QStringLiteral("thermistor")});
    gauge_ = box(QStringLiteral("txtCalGauge"), QStringLiteral("G, mm per digit"), this);
    thermal_ = box(QStringLiteral("txtCalThermal"), QStringLiteral("M,B (none when empty)"), this);
    zero_ = box(QStringLiteral("txtCalZero"),
                QStringLiteral("R0[,T0] (empty: the first reading imported)"), this);
    range_ = box(QStringLiteral("txtCalRange"), QStringLiteral("MIN,MAX digits"), this);
    poly_ = box(QStringLiteral("txtCalPoly"), QStringLiteral("A,B"), this);
    steinhart_ = box(QStringLiteral("txtCalSteinhart"), QStringLiteral("A,B,C"), this);
    steinhart_->setText(steinhartDefaults());

    // The thermistor has a kind of its own, and a gauge's channel none other.
    connect(channel_, &QComboBox::activated, this, [this] {
        const bool thermistor = channel_->currentData().toInt() == 0;
        if (thermistor != (kind_->currentIndex() == 2)) kind_->setCurrentIndex(thermistor ? 2 : 0);
        showKind();
    });
    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { showKind(); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Channel:"), channel_);
    form->addRow(QStringLiteral("Valid from:"), from_);
    form->addRow(QStringLiteral("Kind:"), kind_);
    form->addRow(QStringLiteral("Gauge factor G:"), gauge_);
    form->addRow(QStringLiteral("Polynomial A,B:"), poly_);
    form->addRow(QStringLiteral("Thermal factors M,B:"), thermal_);
    form->addRow(QStringLiteral("Zero R0,T0:"), zero_);
    form->addRow(QStringLiteral("Range MIN,MAX:"), range_);
    form->addRow(QStringLiteral("Steinhart–Hart A,B,C:"), steinhart_);
    auto* note = new QLabel(
        QStringLiteral("A calibration applies to the readings imported from its moment on; older "
                       "readings keep theirs. A replaced gauge gets a new calibration from its "
                       "day."),
        this);
    note->setWordWrap(true);
    auto* add = button(QStringLiteral("cmdAddCalibration"), QStringLiteral("Add"), this);
    auto* close = button(QStringLiteral("cmdCloseCalibrations"), QStringLiteral("Close"), this);
    connect(add, &QPushButton::clicked, this, [this] { this->add(); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addLayout(buttons);

    showKind();
    showList();
}

void CalibrationDialog::showKind() {
    const QString kind = kind_->currentText();
    const bool gauge = kind != QLatin1String("thermistor");
    gauge_->setEnabled(kind == QLatin1String("linear"));
    poly_->setEnabled(kind == QLatin1String("polynomial"));
    thermal_->setEnabled(gauge);
    zero_->setEnabled(gauge);
    range_->setEnabled(gauge);
    steinhart_->setEnabled(!gauge);
}

void CalibrationDialog::showList(qint64 selectId) {
    const std::vector<Calibration> stored = calibrations(db_, number_);
    list_->setRowCount(int(stored.size()));
    for (int r = 0; r < int(stored.size()); ++r) {
        const QStringList cells = operations::calibrationCells(stored[size_t(r)]);
        for (int c = 0; c < int(cells.size()); ++c)
            list_->setItem(r, c, new QTableWidgetItem(cells[c]));
        if (selectId != 0 && stored[size_t(r)].id == selectId) list_->selectRow(r);
    }
    list_->resizeColumnsToContents();
}

bool CalibrationDialog::add() {
    if (readOnly_) {
        prompter_.ask({QStringLiteral("The database is open read-only: no calibration can be "
                                      "added."),
                       Title, app::Icon::Warning});
        return false;
    }
    operations::CalibrationFields f;
    f.channel = channel_->currentData().toInt();
    f.validFrom = from_->text();
    f.kind = kind_->currentText();
    f.gauge = gauge_->text();
    f.thermal = thermal_->text();
    f.zero = zero_->text();
    f.range = range_->text();
    f.poly = poly_->text();
    f.steinhart = steinhart_->text();
    try {
        const operations::CalibrationRequest r = operations::calibrationRequest(number_, f);
        const std::vector<Calibration> stored = calibrations(db_, number_);
        if (operations::replacedBy(stored, r)) {
            const app::Prompt replace{
                QStringLiteral("%1 already has a calibration from %2. Replace it?")
                    .arg(operations::calibrationChannelText(r.channel),
                         readings::momentText(r.validFrom)),
                Title, app::Icon::Question, app::Buttons::YesNo, true};
            if (prompter_.ask(replace) != app::Answer::Yes) return false;
        }
        showList(operations::setCalibration(db_, r));
        return true;
    } catch (const store::Error& e) {
        prompter_.ask({e.description(), Title, app::Icon::Warning});
        return false;
    }
}

} // namespace importer
