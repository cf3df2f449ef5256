#include "importer/ui/ReviewDialog.h"
#include "importer/ui/WindowImport.h"

#include "importer/Append.h"
#include "importer/Texts.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace importer {

namespace {

// The tick column's two pictures, a ticked and an empty box, centred in the
// cell. A click anywhere in the cell flips it (the window does that); here
// only the space bar does, as on a check box.
class TickDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

        QStyleOptionButton box;
        box.state = QStyle::State_Enabled |
                    (index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? QStyle::State_On
                                                                           : QStyle::State_Off);
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, &box, widget);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, &box, widget);
        box.rect = QRect(option.rect.center() - QPoint(w / 2, h / 2), QSize(w, h));
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem&,
                     const QModelIndex& index) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Space && key != Qt::Key_Select) return false;
        const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
};

} // namespace

ReviewDialog::ReviewDialog(app::AppState& state, const sensors::CurrentSensor& sensor,
                           const TextFile* file, int period, QWidget* parent)
    : QDialog(parent), state_(state), sensor_(sensor), file_(file) {
    setObjectName(QStringLiteral("frmTroveData"));
    setWindowTitle(texts::ReviewCaption);
    setModal(true);

    auto* header = new QLabel(this);
    header->setObjectName(QStringLiteral("lblHeader"));
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    auto* shownLines = new QLabel(this);
    shownLines->setObjectName(QStringLiteral("lblShown"));
    shownLines->setWordWrap(true);
    shownLines->hide();

    model_ = new ReviewModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid_->setModel(model_);
    grid_->setItemDelegateForColumn(ReviewModel::TickColumn, new TickDelegate(grid_));
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed row heights: the view never measures a hundred thousand rows.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setHighlightSections(false);
    connect(grid_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == ReviewModel::TickColumn) model_->flip(index.row());
    });

    auto* frame = new QGroupBox(texts::DateFormatCaption, this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* options = new QHBoxLayout(frame);
    for (int i = 0; i < 3; ++i) {
        layouts_[size_t(i)] = new QRadioButton(texts::DateLayouts[i], frame);
        layouts_[size_t(i)]->setObjectName(QStringLiteral("optDateFormat%1").arg(i));
        options->addWidget(layouts_[size_t(i)]);
    }
    layouts_[0]->setChecked(true);

    append_ = new QPushButton(texts::AppendCaption, this);
    append_->setObjectName(QStringLiteral("cmdAppend"));
    append_->setAutoDefault(false);
    append_->setMinimumWidth(120);
    connect(append_, &QPushButton::clicked, this, &ReviewDialog::cmdAppend_Click);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(frame);
    bottom->addStretch();
    bottom->addWidget(append_, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(shownLines);
    layout->addWidget(grid_, 1);
    layout->addLayout(bottom);

    // The window load: the header, then the grid.
    if (file_) {
        header->setText(texts::reviewHeader(sensor_.number));
        append_->setEnabled(true);
    } else {
        header->setText(texts::NoDataHeader);
        append_->setEnabled(false);
    }
    if (file_ && file_->streamed()) {
        // The proposal reads the whole file once more.
        QProgressDialog progress(texts::ReadingFile, QString(), 0, 1000, parent);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(1000);
        QString failure;
        try {
            model_->PopulateSFlexGrid(
                file_, false, period, systemDayOrder(), [&](qint64 done, qint64 total) {
                    progress.setValue(int(done * 1000 / std::max(total, qint64(1))));
                });
        } catch (...) {
            const std::exception_ptr e = std::current_exception();
            state_.log.WriteLog(app::errorEntry(e, texts::ImportLabel));
            failure = app::describeFailure(e);
        }
        if (!failure.isNull()) {
            // Nothing unseen may be appended from a file that could not be read.
            file_ = nullptr;
            header->setText(texts::importFailed(failure));
            append_->setEnabled(false);
        } else if (model_->partial()) {
            shownLines->setText(texts::linesShown(model_->headLines(), model_->tailLines(),
                                                  file_->RecordCount(), model_->betweenLines()));
            shownLines->show();
        }
    } else {
        app::ignoreFailure([&] {
            model_->PopulateSFlexGrid(file_ ? file_->whole() : nullptr, !file_, period,
                                      systemDayOrder());
        });
    }
    int columns = 0;
    for (int c = 0; c < ReviewModel::ColumnCount; ++c) {
        grid_->setColumnWidth(c, ReviewModel::columnWidth(c));
        columns += ReviewModel::columnWidth(c);
    }
    // Wide enough for every column, the Append boxes included, where the
    // screen allows it.
    const int wanted = columns + grid_->verticalHeader()->sizeHint().width() +
                       grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                       2 * grid_->frameWidth() + layout->contentsMargins().left() +
                       layout->contentsMargins().right();
    const QScreen* shown = parent ? parent->screen() : screen();
    const int room = shown ? shown->availableGeometry().width() - 40 : wanted;
    resize(std::min(wanted, room), 600);
}

DateLayout ReviewDialog::chosenLayout() const {
    if (layouts_[1]->isChecked()) return DateLayout::DayFirst;
    if (layouts_[2]->isChecked()) return DateLayout::MonthFirst;
    return DateLayout::YearFirst;
}

void ReviewDialog::cmdAppend_Click() {
    app::Prompter& prompter = *state_.env.prompter;
    app::ignoreFailure([&] {
        const app::Prompt question{texts::appendQuestion(sensor_.number), texts::AppTitle,
                                   app::Icon::None, app::Buttons::YesNo};
        if (prompter.ask(question) != app::Answer::Yes || !file_) return;
        const auto& ticks = model_->ticks();
        const int ticked =
            int(std::count(ticks.begin(), ticks.end(), std::uint8_t(1))) + model_->betweenTicked();
        // Shown only when the append takes longer than a second.
        QProgressDialog progress(texts::appending(sensor_.number), QString(), 0,
                                 std::max(ticked, 1), this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(1000);
        progress.setValue(0);
        const Progress told = [&](int done) {
            progress.setValue(std::min(done, progress.maximum()));
        };
        if (file_->whole())
            appendChecked(state_, prompter, sensor_, *file_->whole(), ticks, chosenLayout(), told);
        else
            appendChecked(state_, prompter, sensor_, *file_, model_->lineTicks(), chosenLayout(),
                          told);
    });
    append_->setEnabled(false);
    accept();
}

} // namespace importer
