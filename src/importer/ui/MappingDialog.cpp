#include "importer/ui/MappingDialog.h"

#include "importer/Mapping.h"
#include "store/Error.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace importer {

namespace {

const QStringList TargetChoices{QString(),
                                QStringLiteral("time"),
                                QStringLiteral("temperature"),
                                QStringLiteral("channel1"),
                                QStringLiteral("channel2"),
                                QStringLiteral("channel3"),
                                QStringLiteral("channel4"),
                                QStringLiteral("channel5"),
                                QStringLiteral("channel6"),
                                QStringLiteral("channel7"),
                                QStringLiteral("channel8"),
                                QStringLiteral("channel9"),
                                QStringLiteral("channel10")};
const QStringList UnitChoices{QString(),
                              QStringLiteral("mm"),
                              QStringLiteral("m"),
                              QStringLiteral("in"),
                              QStringLiteral("Hz"),
                              QStringLiteral("digits"),
                              QStringLiteral("ohm"),
                              QStringLiteral("degC"),
                              QStringLiteral("degF")};

// A field's likely column, so that a common file needs few changes: the
// timestamp is the time; nothing else is guessed.
int guessedTarget(const LoggerField& f) {
    const QString n = f.name.toLower();
    return n == QLatin1String("timestamp") || f.unit == QLatin1String("TS") ? 1 : 0;
}

} // namespace

MappingDialog::MappingDialog(const QString& sensor, const LoggerHeader& header,
                             const std::vector<QStringList>& samples, QWidget* parent)
    : QDialog(parent), header_(header) {
    setObjectName(QStringLiteral("frmMapping"));
    setWindowTitle(QStringLiteral("Map the logger's fields to sensor %1").arg(sensor));
    auto* outer = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("Choose the column of each field the sensor takes; leave the others "
                       "empty. The mapping is saved for this logger and sensor and used for its "
                       "later files."),
        this);
    intro->setWordWrap(true);
    outer->addWidget(intro);
    auto* area = new QScrollArea(this);
    auto* grid = new QWidget(area);
    auto* layout = new QGridLayout(grid);
    layout->addWidget(new QLabel(QStringLiteral("<b>Field</b>"), grid), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("<b>Unit</b>"), grid), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("<b>First values</b>"), grid), 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("<b>Column</b>"), grid), 0, 3);
    layout->addWidget(new QLabel(QStringLiteral("<b>Read in</b>"), grid), 0, 4);
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const LoggerField& f = header.fields[i];
        const int row = int(i) + 1;
        auto* name = new QLabel(f.name, grid);
        name->setObjectName(QStringLiteral("lblField%1").arg(row));
        layout->addWidget(name, row, 0);
        layout->addWidget(new QLabel(f.unit, grid), row, 1);
        const QStringList first = i < samples.size() ? samples[i] : QStringList();
        layout->addWidget(new QLabel(first.join(QStringLiteral(", ")), grid), row, 2);
        auto* target = new QComboBox(grid);
        target->setObjectName(QStringLiteral("cboTarget%1").arg(row));
        target->addItems(TargetChoices);
        target->setCurrentIndex(guessedTarget(f));
        layout->addWidget(target, row, 3);
        auto* unit = new QComboBox(grid);
        unit->setObjectName(QStringLiteral("cboUnit%1").arg(row));
        unit->addItems(UnitChoices);
        // The unit the header names, when this program knows it.
        if (const auto known = unitFromText(f.unit); known && *known != Unit::AsIs)
            unit->setCurrentText(unitName(*known));
        layout->addWidget(unit, row, 4);
        targets_.push_back(target);
        units_.push_back(unit);
    }
    area->setWidget(grid);
    area->setWidgetResizable(true);
    outer->addWidget(area);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("lblMapProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000;"));
    outer->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("Import"), QDialogButtonBox::AcceptRole);
    ok_->setObjectName(QStringLiteral("cmdMapOk"));
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cmdMapCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &MappingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MappingDialog::reject);
    outer->addWidget(buttons);
    for (QComboBox* box : targets_)
        connect(box, &QComboBox::currentIndexChanged, this, &MappingDialog::check);
    for (QComboBox* box : units_)
        connect(box, &QComboBox::currentIndexChanged, this, &MappingDialog::check);
    check();
    resize(760, 480);
}

void MappingDialog::check() {
    // Told while it can be changed: Import stays off until the choice reads.
    QString why;
    try {
        parseMapping(mappingText(), header_);
    } catch (const store::Error& e) {
        why = e.description();
    }
    problem_->setText(why);
    ok_->setEnabled(why.isEmpty());
}

QString MappingDialog::mappingText() const {
    QStringList parts;
    for (size_t i = 0; i < targets_.size(); ++i) {
        const QString target = targets_[i]->currentText();
        if (target.isEmpty()) continue;
        QString part = header_.fields[i].name + QLatin1Char('=') + target;
        const QString unit = units_[i]->currentText();
        if (target != QLatin1String("time") && !unit.isEmpty()) part += QLatin1Char(':') + unit;
        parts << part;
    }
    return parts.join(QLatin1Char(','));
}

} // namespace importer
