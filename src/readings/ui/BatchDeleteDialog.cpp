#include "readings/ui/BatchDeleteDialog.h"

#include "readings/Texts.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace readings {

namespace {

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setMinimumWidth(120);
    return b;
}

QLabel* wrapped(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

} // namespace

BatchDeleteDialog::BatchDeleteDialog(const app::Clock& clock, QWidget* parent)
    : QDialog(parent), clock_(clock) {
    setObjectName(QStringLiteral("frmBatchDel"));
    setWindowTitle(texts::DeletionTitle);
    setModal(true);

    auto* grid = new QGridLayout(this);
    auto* heading = new QLabel(texts::BatchHeading, this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, 0, 0, 1, 2);

    start_ = new QCalendarWidget(this);
    start_->setObjectName(QStringLiteral("DelStart"));
    end_ = new QCalendarWidget(this);
    end_->setObjectName(QStringLiteral("DelEnd"));
    for (QCalendarWidget* c : {start_, end_}) {
        c->setGridVisible(true);
        c->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    }
    grid->addWidget(new QLabel(texts::SelectStart, this), 1, 0);
    grid->addWidget(new QLabel(texts::SelectEnd, this), 1, 1);
    grid->addWidget(start_, 2, 0);
    grid->addWidget(end_, 2, 1);

    grid->addWidget(wrapped(texts::BatchExplained, this), 3, 0, 1, 2);
    auto* batch = button(QStringLiteral("OKButton"), texts::BatchDelete, this);
    grid->addWidget(batch, 4, 1, Qt::AlignRight);

    grid->addWidget(new QLabel(texts::Or, this), 5, 0);
    grid->addWidget(wrapped(texts::ConfirmOne, this), 6, 0);
    auto* single = button(QStringLiteral("cmdSingleDel"), texts::DeleteOne, this);
    grid->addWidget(single, 6, 1, Qt::AlignRight);

    grid->addWidget(new QLabel(texts::Or, this), 7, 0);
    grid->addWidget(wrapped(texts::ConfirmAll, this), 8, 0);
    auto* all = button(QStringLiteral("Command1"), texts::DeleteAll, this);
    grid->addWidget(all, 8, 1, Qt::AlignRight);

    auto* warning = new QLabel(texts::CannotUndo, this);
    warning->setFont(bold);
    warning->setStyleSheet(QStringLiteral("color: #b00000;"));
    grid->addWidget(warning, 9, 0);
    auto* cancel = button(QStringLiteral("CancelButton"), texts::Cancel, this);
    cancel->setDefault(true);
    grid->addWidget(cancel, 9, 1, Qt::AlignRight);

    using Kind = BatchDeleteChoice::Kind;
    connect(batch, &QPushButton::clicked, this, [this] { chosen(Kind::Batch); });
    connect(single, &QPushButton::clicked, this, [this] { chosen(Kind::Single); });
    connect(all, &QPushButton::clicked, this, [this] { chosen(Kind::All); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<BatchDeleteChoice> BatchDeleteDialog::choose() {
    choice_.reset();
    const QDate today = clock_.now().date();
    start_->setSelectedDate(today);
    end_->setSelectedDate(today);
    exec();
    return choice_;
}

void BatchDeleteDialog::chosen(BatchDeleteChoice::Kind kind) {
    choice_ = BatchDeleteChoice{kind, {}, {}};
    if (kind == BatchDeleteChoice::Kind::Batch) {
        choice_->start = start_->selectedDate();
        choice_->end = end_->selectedDate();
    }
    accept();
}

} // namespace readings
