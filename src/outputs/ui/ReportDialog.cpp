#include "outputs/ui/ReportDialog.h"

#include "outputs/Texts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace outputs {

namespace {

QCheckBox* box(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QCheckBox(text, parent);
    b->setObjectName(name);
    b->setChecked(true);
    return b;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMinimumWidth(90);
    return b;
}

// Only a full tick counts.
bool ticked(const QCheckBox* b) {
    return b->checkState() == Qt::Checked;
}

} // namespace

ReportDialog::ReportDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(texts::ReportCaption);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(texts::ReportChoose, this));
    cover_ = box(QStringLiteral("chkCover"), texts::ReportCoverBox, this);
    layout->addWidget(cover_);
    auto* plots = new QGroupBox(texts::ReportPlotsFrame, this);
    plots->setObjectName(QStringLiteral("fraPlots"));
    auto* plotBoxes = new QVBoxLayout(plots);
    time_ = box(QStringLiteral("chkTemp"), texts::ReportTimeBox, plots);
    length_ = box(QStringLiteral("chkSpatial"), texts::ReportLengthBox, plots);
    plotBoxes->addWidget(time_);
    plotBoxes->addWidget(length_);
    temperatureAxis_ =
        box(QStringLiteral("chkReportTempAxis"), texts::ReportTemperatureAxisBox, plots);
    plotBoxes->addWidget(temperatureAxis_);
    layout->addWidget(plots);

    auto* format = new QGroupBox(texts::ReportFormatFrame, this);
    format->setObjectName(QStringLiteral("fraFormat"));
    auto* formats = new QVBoxLayout(format);
    docx_ = new QRadioButton(texts::ReportDocxOption, format);
    docx_->setObjectName(QStringLiteral("optDocx"));
    docx_->setChecked(true);
    pdf_ = new QRadioButton(texts::ReportPdfOption, format);
    pdf_->setObjectName(QStringLiteral("optPdf"));
    formats->addWidget(docx_);
    formats->addWidget(pdf_);
    layout->addWidget(format);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = button(QStringLiteral("cmdOK"), texts::ReportOk, this);
    ok->setDefault(true);
    auto* cancel = button(QStringLiteral("cmdCancel"), texts::ReportCancel, this);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] {
        choice_ = ReportChoice{ticked(cover_), ticked(time_), ticked(length_),
                               pdf_->isChecked() ? ReportFormat::Pdf : ReportFormat::Docx,
                               ticked(temperatureAxis_)};
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<ReportChoice> ReportDialog::choose(bool temperatureOwnAxis) {
    choice_.reset();
    temperatureAxis_->setChecked(temperatureOwnAxis);
    exec();
    return choice_;
}

} // namespace outputs
