#include "readings/ui/ZeroReadingDialog.h"

#include "app/Log.h"
#include "readings/Quality.h"
#include "readings/Texts.h"
#include "readings/ZeroHistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace readings {

ZeroReadingDialog::ZeroReadingDialog(store::Database& db, app::Prompter& prompter,
                                     QString sensorNumber, QString fullDate, int anchors,
                                     QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter), number_(std::move(sensorNumber)),
      fullDate_(std::move(fullDate)) {
    setObjectName(QStringLiteral("frmZeroReading"));
    setWindowTitle(texts::ZeroTitle);
    auto* layout = new QVBoxLayout(this);

    auto* what = new QLabel(texts::zeroQuestion(number_, momentText(fullDate_)), this);
    what->setObjectName(QStringLiteral("lblZeroReading"));
    what->setWordWrap(true);
    layout->addWidget(what);

    layout->addWidget(new QLabel(texts::ZeroReasonCaption, this));
    reason_ = new QComboBox(this);
    reason_->setObjectName(QStringLiteral("cboZeroReason"));
    reason_->setEditable(true);
    reason_->addItem(texts::ReasonInstallation);
    for (int k = 1; k <= anchors; ++k)
        reason_->addItem(texts::anchorReplaced(k));
    reason_->addItem(texts::ReasonHeadReplaced);
    reason_->setCurrentIndex(-1);
    layout->addWidget(reason_);

    carryOver_ = new QCheckBox(texts::CarryOverCaption, this);
    carryOver_->setObjectName(QStringLiteral("chkCarryOver"));
    layout->addWidget(carryOver_);

    auto* set = new QPushButton(texts::SetZeroButton, this);
    set->setObjectName(QStringLiteral("cmdSetZero"));
    layout->addWidget(set);
    connect(set, &QPushButton::clicked, this, &ZeroReadingDialog::setZero);

    layout->addWidget(new QLabel(texts::ZeroListCaption, this));
    zeros_ = new QTableWidget(this);
    zeros_->setObjectName(QStringLiteral("tblZeros"));
    zeros_->setColumnCount(6);
    zeros_->setHorizontalHeaderLabels(texts::zeroListTitles());
    zeros_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    zeros_->setSelectionBehavior(QAbstractItemView::SelectRows);
    zeros_->setSelectionMode(QAbstractItemView::SingleSelection);
    zeros_->horizontalHeader()->setStretchLastSection(true);
    zeros_->verticalHeader()->hide();
    zeros_->setWordWrap(false);
    zeros_->setTextElideMode(Qt::ElideRight);
    layout->addWidget(zeros_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    retire_ = buttons->addButton(texts::RetireButton, QDialogButtonBox::ActionRole);
    retire_->setObjectName(QStringLiteral("cmdRetireZero"));
    connect(retire_, &QPushButton::clicked, this, &ZeroReadingDialog::retire);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 460);
    fillList();
}

void ZeroReadingDialog::fillList() {
    ids_.clear();
    const std::vector<ZeroReading> list = zeroReadings(db_, number_);
    zeros_->setRowCount(int(list.size()));
    int row = 0;
    for (const ZeroReading& z : list) {
        ids_.push_back(z.retired() ? 0 : z.id);
        const QStringList cells{
            momentText(z.at),
            z.reason,
            z.carryOver ? texts::Yes : texts::No,
            z.setBy,
            momentText(z.setAt),
            z.retired() ? texts::retiredOn(momentText(z.retiredAt), z.retiredBy, z.retiredReason)
                        : QString()};
        for (int c = 0; c < cells.size(); ++c) {
            // One line per cell: a reason typed with line breaks stays in its row.
            QString shown = cells[c];
            shown.replace(QLatin1Char('\n'), QChar(0x21B5));
            auto* item = new QTableWidgetItem(shown);
            item->setToolTip(cells[c]);
            if (z.retired()) item->setForeground(Qt::gray);
            zeros_->setItem(row, c, item);
        }
        ++row;
    }
    zeros_->resizeColumnsToContents();
}

void ZeroReadingDialog::setZero() {
    const QString reason = reason_->currentText().trimmed();
    if (reason.isEmpty()) {
        prompter_.ask({texts::ZeroNeedsReason, texts::ZeroTitle, app::Icon::Warning});
        return;
    }
    try {
        readings::setZero(db_, number_, fullDate_, reason, carryOver_->isChecked());
    } catch (const store::Error& e) {
        prompter_.ask({texts::zeroNotSet(momentText(fullDate_), e.description()), texts::ZeroTitle,
                       app::Icon::Warning});
        return;
    }
    changed_ = true;
    fillList();
    prompter_.ask(
        {texts::zeroSet(number_, momentText(fullDate_)), texts::ZeroTitle, app::Icon::Information});
}

void ZeroReadingDialog::retire() {
    const int row = zeros_->currentRow();
    if (row < 0 || size_t(row) >= ids_.size() || ids_[size_t(row)] == 0) {
        prompter_.ask({texts::ChooseZeroToRetire, texts::ZeroTitle, app::Icon::Warning});
        return;
    }
    const std::optional<QString> reason = prompter_.input(texts::RetireReason, texts::ZeroTitle);
    if (!reason) return;
    if (reason->trimmed().isEmpty()) {
        prompter_.ask({texts::ZeroNeedsReason, texts::ZeroTitle, app::Icon::Warning});
        return;
    }
    try {
        retireZero(db_, number_, ids_[size_t(row)], reason->trimmed());
    } catch (const store::Error& e) {
        prompter_.ask({e.description(), texts::ZeroTitle, app::Icon::Warning});
        return;
    }
    changed_ = true;
    fillList();
}

} // namespace readings
