#include "outputs/ui/DatasheetDialog.h"

#include "app/Pictures.h"
#include "app/shell/SaveFailure.h"
#include "app/ui/KeyAscii.h"
#include "app/ui/Twips.h"
#include "operations/Operations.h"
#include "outputs/DatasheetModel.h"
#include "outputs/Texts.h"
#include "readings/Quality.h"
#include "readings/ui/ReadingPanel.h"
#include "readings/ui/ReadingTableQuestions.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace outputs {

namespace {

// The plot flags as the two tick pictures, centred in the cell.
class TickDelegate : public QStyledItemDelegate {
public:
    TickDelegate(QPixmap on, QPixmap off, QObject* parent)
        : QStyledItemDelegate(parent), on_(std::move(on)), off_(std::move(off)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QVariant state = index.data(Qt::CheckStateRole);
        if (!state.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        const QPixmap& picture = state.toInt() == Qt::Unchecked ? off_ : on_;
        const QRect place(QPoint(0, 0), picture.deviceIndependentSize().toSize());
        painter->drawPixmap(place.translated(option.rect.center() - place.center()), picture);
    }

private:
    QPixmap on_, off_;
};

} // namespace

void DatasheetView::keyPressEvent(QKeyEvent* event) {
    // Shift+Tab steps back as in any grid; the walk of the rule goes forward.
    const int key = event->key() == Qt::Key_Backtab ? -1 : app::keyAscii(event);
    if (key < 0) {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
    emit keyTyped(key);
}

DatasheetDialog::DatasheetDialog(app::AppState& state, readings::ReadingPanel& readings,
                                 QWidget* parent)
    : QDialog(parent), state_(state), readings_(readings) {
    setObjectName(QStringLiteral("frmDatasheet"));
    setWindowTitle(texts::DatasheetCaption);
    setModal(true);

    header_ = new QLabel(this);
    header_->setObjectName(QStringLiteral("lblHeader"));
    QFont bold = header_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    header_->setFont(bold);

    export_ = new QToolButton(this);
    export_->setObjectName(QStringLiteral("Image1"));
    export_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    export_->setIconSize(QSize(32, 32));
    export_->setAutoRaise(true);
    export_->setToolTip(texts::ExportTip);
    export_->setCursor(Qt::PointingHandCursor);

    // img_x_on and img_x_off: the tick pictures, kept hidden for the grid.
    QPixmap ticks[2];
    for (const bool on : {true, false}) {
        auto* picture = new QLabel(this);
        picture->setObjectName(on ? QStringLiteral("img_x_on") : QStringLiteral("img_x_off"));
        picture->setPixmap(QPixmap::fromImage(app::pictures::tickBox(on)));
        picture->hide();
        ticks[on ? 0 : 1] = picture->pixmap();
    }

    model_ = new DatasheetModel(this);
    grid_ = new DatasheetView(this);
    grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid_->setModel(model_);
    grid_->setItemDelegate(new TickDelegate(ticks[0], ticks[1], grid_));
    // Values change by the key rule only, never through an editor.
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Several readings at once can be given a quality.
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setTabKeyNavigation(true);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setHighlightSections(false);

    auto* top = new QHBoxLayout;
    top->addWidget(header_);
    top->addStretch();
    top->addWidget(export_);
    withInvalid_ = new QCheckBox(texts::ExportWithInvalid, this);
    withInvalid_->setObjectName(QStringLiteral("chkWithInvalid"));
    top->insertWidget(top->count() - 1, withInvalid_);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(texts::SelectedQualityCaption, this));
    quality_ = new QComboBox(this);
    quality_->setObjectName(QStringLiteral("cboSheetQuality"));
    quality_->addItems({readings::qualityName(readings::Quality::Valid),
                        readings::qualityName(readings::Quality::Suspect),
                        readings::qualityName(readings::Quality::Invalid)});
    bottom->addWidget(quality_);
    bottom->addWidget(new QLabel(texts::QualityNoteCaption, this));
    note_ = new QLineEdit(this);
    note_->setObjectName(QStringLiteral("txtSheetNote"));
    bottom->addWidget(note_, 1);
    auto* setQuality = new QPushButton(texts::SetQualityButton, this);
    setQuality->setObjectName(QStringLiteral("cmdSetQuality"));
    setQuality->setAutoDefault(false);
    bottom->addWidget(setQuality);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(grid_);
    layout->addLayout(bottom);
    resize(800, 600);
    connect(setQuality, &QPushButton::clicked, this, &DatasheetDialog::setQualityOfSelected);

    connect(grid_, &DatasheetView::keyTyped, this, &DatasheetDialog::keyTyped);
    connect(grid_, &QTableView::clicked, this, &DatasheetDialog::cellClicked);
    connect(export_, &QToolButton::clicked, this, &DatasheetDialog::Image1_Click);
}

int DatasheetDialog::exec() {
    Form_Load();
    int result = QDialog::exec();
    while (!Form_Unload())
        result = QDialog::exec();
    return result;
}

void DatasheetDialog::Form_Load() {
    model_->release();
    app::logAndLeave(state_.log, texts::DatasheetLoadLabel, [&] {
        readings_.rememberShown();
        // Read again in place: every change is seen, and the keyset is kept.
        readings::OpenSensorData(state_, prompter());
        header_->setText(texts::DatasheetHeader + sensor_);
        if (!model_->populate(state_.rsSensorData.get(), sensor_)) return;
        QHeaderView* titles = grid_->horizontalHeader();
        const auto& columns = model_->gridColumns();
        // The widths are set for the narrow letters of the original screens:
        // a wider font must still show a whole title, key, date or time.
        const int padding = 2 * grid_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 8;
        int width = 0;
        for (int c = 0; c < model_->columnCount(); ++c) {
            const bool gridColumn = model_->hasReadings() && c < int(columns.size());
            const int twips = gridColumn ? columns[size_t(c)].widthTwips : 0;
            int pixels = twips > 0 ? app::twips(twips) : titles->defaultSectionSize();
            if (model_->hasReadings())
                pixels = std::max(
                    {pixels,
                     titles->fontMetrics().horizontalAdvance(
                         model_->headerData(c, Qt::Horizontal).toString()) +
                         padding,
                     grid_->fontMetrics().horizontalAdvance(model_->text(0, c)) + padding});
            titles->resizeSection(c, pixels);
            width += pixels;
        }
        // As wide as the grid, within the screen.
        width += grid_->verticalScrollBar()->sizeHint().width() + 2 * grid_->frameWidth() +
                 layout()->contentsMargins().left() + layout()->contentsMargins().right();
        resize(std::max(width, 560), height());
        if (model_->hasReadings()) grid_->setCurrentIndex(model_->index(0, 0));
        grid_->scrollToTop();
        // Keys typed at once go to the grid, not to the export command before it.
        grid_->setFocus(Qt::OtherFocusReason);
    });
}

bool DatasheetDialog::Form_Unload() {
    if (model_->isChanged()) {
        QString message;
        app::logAndLeave(state_.log, texts::WriteBackLabel, [&] {
            try {
                model_->writeBack(state_.database());
            } catch (const CellRefused& refused) {
                message = texts::cellRefused(refused.reading, refused.column, refused.text);
                throw;
            } catch (...) {
                message = texts::datasheetNotSaved(
                    sensor_, app::saveFailureReason(std::current_exception(), {}));
                throw;
            }
        });
        if (!message.isEmpty() &&
            prompter().ask({message + texts::BackToDatasheet, texts::DatasheetMessageTitle,
                            app::Icon::Warning, app::Buttons::YesNo}) == app::Answer::Yes)
            return false;
    }
    model_->release();
    readings_.returnToBookmark();
    return true;
}

void DatasheetDialog::keyTyped(int key) {
    app::logAndLeave(state_.log, texts::DatasheetKeyLabel, [&] {
        const QModelIndex current = grid_->currentIndex();
        if (!current.isValid()) return;
        const KeyResult result = model_->typeKey(current, key);
        switch (result.action) {
        case KeyAction::OnlyChannels:
            prompter().ask({texts::OnlyChannelsEditable, texts::DatasheetMessageTitle,
                            app::Icon::Information});
            break;
        case KeyAction::ChannelNumber:
            prompter().ask(
                {texts::ChannelsNumeric, texts::DatasheetMessageTitle, app::Icon::Information});
            break;
        case KeyAction::NextCell: {
            // The walk goes over the reading's own columns, not its quality.
            const GridCell next = nextCell({current.row(), current.column()}, model_->rowCount(),
                                           int(model_->gridColumns().size()));
            grid_->setCurrentIndex(model_->index(next.row, next.column));
            break;
        }
        case KeyAction::Nothing:
        case KeyAction::Edit:
        case KeyAction::Flip:
            break;
        }
    });
}

void DatasheetDialog::cellClicked(const QModelIndex& index) {
    model_->flip(index);
}

void DatasheetDialog::Image1_Click() {
    app::logAndLeave(state_.log, texts::ExportLabel, [&] {
        const QString path = QDir(state_.DataFolder).filePath(sensor_ + texts::WorkbookExtension);
        bool written = false;
        {
            QProgressDialog progress(texts::ExportProgress, texts::ExportCancel, 0,
                                     std::max(model_->sheetRowCount(), 1), this);
            progress.setWindowModality(Qt::WindowModal);
            progress.setMinimumDuration(1000);
            try {
                // The tool's export, with the grid as it is shown.
                written = operations::exportWorkbook(
                    state_.database(), sensor_, path, *model_,
                    [&](int done, int total) {
                        progress.setMaximum(std::max(total, 1));
                        progress.setValue(done);
                        return !progress.wasCanceled();
                    },
                    withInvalid_->isChecked());
            } catch (...) {
                prompter().ask({texts::workbookFailed(path), texts::DatasheetMessageTitle,
                                app::Icon::Warning});
                throw;
            }
        }
        if (written && !state_.env.desktop->open(path))
            prompter().ask(
                {texts::workbookSaved(path), texts::DatasheetMessageTitle, app::Icon::Information});
    });
}

void DatasheetDialog::setQualityOfSelected() {
    if (!model_->hasReadings()) return;
    std::vector<int> rows;
    for (const QModelIndex& cell : grid_->selectionModel()->selectedIndexes())
        rows.push_back(cell.row());
    if (rows.empty() && grid_->currentIndex().isValid())
        rows.push_back(grid_->currentIndex().row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty()) {
        prompter().ask(
            {texts::ChooseReadings, texts::DatasheetMessageTitle, app::Icon::Information});
        return;
    }
    QStringList keys;
    for (const int row : rows)
        keys << model_->key(row);
    const auto quality = readings::Quality(quality_->currentIndex());
    try {
        readings::setQuality(state_.database(), sensor_, keys, quality, note_->text());
    } catch (const store::Error& e) {
        prompter().ask({texts::qualityRefused(e.description()), texts::DatasheetMessageTitle,
                        app::Icon::Warning});
        return;
    }
    model_->readQuality();
}

} // namespace outputs
