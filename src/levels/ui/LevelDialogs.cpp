#include "levels/ui/LevelDialogs.h"

#include <QBoxLayout>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

namespace levels {

namespace {

const QString Title = QStringLiteral("Trigger Levels");

QString numberText(double v) {
    return QString::number(v, 'g', 15);
}

void refuse(const QString& text) {
    throw store::Error(store::code::Error, text);
}

// The cell's number; nothing for an empty cell.
std::optional<double> cellNumber(QTableWidget* grid, int row, int column, const QString& field) {
    const QTableWidgetItem* item = grid->item(row, column);
    const QString text = item ? item->text().trimmed() : QString();
    if (text.isEmpty()) return std::nullopt;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        refuse(QStringLiteral("%1: \"%2\" is not a number").arg(field, text));
    return v;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TriggerLevelsDialog::TriggerLevelsDialog(store::Database& db, app::Prompter& prompter,
                                         const QString& sensorNumber, int anchors, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter), number_(sensorNumber),
      anchors_(std::clamp(anchors, 1, MaxAnchors)), levels_(siteLevels(db)) {
    setObjectName(QStringLiteral("frmTriggerLevels"));
    setWindowTitle(QStringLiteral("Trigger Levels of %1").arg(sensorNumber));
    const SensorTriggers t = sensorTriggers(db, sensorNumber);
    const int n = int(levels_.size());

    grid_ = new QTableWidget(anchors_ + 1, 2 * n, this);
    grid_->setObjectName(QStringLiteral("tblTriggers"));
    QStringList titles;
    for (const TriggerLevel& l : levels_)
        titles << QStringLiteral("%1 (mm)").arg(l.name);
    for (const TriggerLevel& l : levels_)
        titles << QStringLiteral("%1 (mm/day)").arg(l.name);
    grid_->setHorizontalHeaderLabels(titles);
    QStringList rows{QStringLiteral("All anchors")};
    for (int k = 1; k <= anchors_; ++k)
        rows << QStringLiteral("Anchor %1").arg(k);
    grid_->setVerticalHeaderLabels(rows);
    for (int r = 0; r <= anchors_; ++r)
        for (int c = 0; c < 2 * n; ++c) {
            const Thresholds& list = c < n ? t.displacement[size_t(r)] : t.rate[size_t(r)];
            const auto it = list.find(c % n + 1);
            grid_->setItem(
                r, c, new QTableWidgetItem(it == list.end() ? QString() : numberText(it->second)));
        }
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grid_->setMinimumWidth(160 + 110 * 2 * n);
    grid_->setMinimumHeight(60 + 30 * (anchors_ + 1));

    window_ = new QLineEdit(numberText(t.windowHours), this);
    window_->setObjectName(QStringLiteral("txtRateWindow"));
    stale_ = new QLineEdit(t.staleAfterHours ? numberText(*t.staleAfterHours) : QString(), this);
    stale_->setObjectName(QStringLiteral("txtStaleAfter"));
    stale_->setPlaceholderText(QStringLiteral("off"));

    auto* note = new QLabel(
        QStringLiteral("Displacement thresholds are on each anchor's absolute displacement; rate "
                       "thresholds on its change over the rate window. An anchor's own row, where "
                       "it has values, replaces the row for all anchors. Leave a cell empty for "
                       "no threshold."),
        this);
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Rate window (hours):"), window_);
    form->addRow(QStringLiteral("No new data after (hours):"), stale_);
    auto* save = button(QStringLiteral("cmdSaveTriggers"), QStringLiteral("Save"), this);
    auto* cancel = button(QStringLiteral("cmdCancelTriggers"), QStringLiteral("Cancel"), this);
    connect(save, &QPushButton::clicked, this, [this] {
        if (this->save()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(grid_);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

bool TriggerLevelsDialog::save() {
    try {
        SensorTriggers t;
        const int n = int(levels_.size());
        for (int r = 0; r <= anchors_; ++r) {
            const QString scope =
                r == 0 ? QStringLiteral("All anchors") : QStringLiteral("Anchor %1").arg(r);
            for (int c = 0; c < 2 * n; ++c) {
                const TriggerLevel& l = levels_[size_t(c % n)];
                const QString field =
                    QStringLiteral("%1, %2 %3")
                        .arg(scope, l.name,
                             c < n ? QStringLiteral("(mm)") : QStringLiteral("(mm/day)"));
                if (const std::optional<double> v = cellNumber(grid_, r, c, field))
                    (c < n ? t.displacement : t.rate)[size_t(r)][l.position] = *v;
            }
        }
        bool ok = false;
        t.windowHours = window_->text().trimmed().toDouble(&ok);
        if (!ok) refuse(QStringLiteral("Rate window: \"%1\" is not a number").arg(window_->text()));
        const QString stale = stale_->text().trimmed();
        if (!stale.isEmpty() && stale.compare(QStringLiteral("off"), Qt::CaseInsensitive) != 0) {
            const double h = stale.toDouble(&ok);
            if (!ok) refuse(QStringLiteral("No new data after: \"%1\" is not a number").arg(stale));
            t.staleAfterHours = h;
        }
        setSensorTriggers(db_, number_, t);
        return true;
    } catch (const store::Error& e) {
        prompter_.ask({e.description(), Title, app::Icon::Warning});
        return false;
    }
}

SiteLevelsDialog::SiteLevelsDialog(store::Database& db, app::Prompter& prompter, QWidget* parent)
    : QDialog(parent), db_(db), prompter_(prompter) {
    setObjectName(QStringLiteral("frmSiteLevels"));
    setWindowTitle(QStringLiteral("The Site's Trigger Levels"));
    grid_ = new QTableWidget(0, 2, this);
    grid_->setObjectName(QStringLiteral("tblSiteLevels"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Colour")});
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setMinimumSize(360, 220);
    for (const TriggerLevel& l : siteLevels(db))
        addLevel(l);
    connect(grid_, &QTableWidget::itemChanged, this, [](QTableWidgetItem* item) {
        if (item->column() != 1) return;
        const QColor c(item->text().trimmed());
        item->setBackground(c.isValid() ? QBrush(c) : QBrush());
    });
    auto* note = new QLabel(QStringLiteral("From the lowest level to the highest (1 to %1). A "
                                           "colour is written as #rrggbb.")
                                .arg(MaxLevels),
                            this);
    note->setWordWrap(true);
    auto* add = button(QStringLiteral("cmdAddLevel"), QStringLiteral("Add a level"), this);
    auto* remove =
        button(QStringLiteral("cmdRemoveLevel"), QStringLiteral("Remove the highest"), this);
    auto* save = button(QStringLiteral("cmdSaveSiteLevels"), QStringLiteral("Save"), this);
    auto* cancel = button(QStringLiteral("cmdCancelSiteLevels"), QStringLiteral("Cancel"), this);
    connect(add, &QPushButton::clicked, this, [this] {
        if (grid_->rowCount() >= MaxLevels) return;
        TriggerLevel l;
        l.name = QStringLiteral("Level %1").arg(grid_->rowCount() + 1);
        l.colour = QColor(0x80, 0x00, 0x80);
        addLevel(l);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (grid_->rowCount() > 1) grid_->removeRow(grid_->rowCount() - 1);
    });
    connect(save, &QPushButton::clicked, this, [this] {
        if (this->save()) accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(grid_);
    layout->addLayout(buttons);
}

void SiteLevelsDialog::addLevel(const TriggerLevel& level) {
    const int row = grid_->rowCount();
    grid_->insertRow(row);
    grid_->setItem(row, 0, new QTableWidgetItem(level.name));
    auto* colour = new QTableWidgetItem(colourText(level.colour));
    colour->setBackground(level.colour);
    grid_->setItem(row, 1, colour);
}

bool SiteLevelsDialog::save() {
    try {
        std::vector<TriggerLevel> levels;
        for (int r = 0; r < grid_->rowCount(); ++r) {
            TriggerLevel l;
            l.position = r + 1;
            l.name = grid_->item(r, 0) ? grid_->item(r, 0)->text() : QString();
            const QString colour =
                grid_->item(r, 1) ? grid_->item(r, 1)->text().trimmed() : QString();
            l.colour = QColor(colour);
            if (!l.colour.isValid())
                refuse(QStringLiteral("Level %1: \"%2\" is not a colour (#rrggbb)")
                           .arg(r + 1)
                           .arg(colour));
            levels.push_back(l);
        }
        setSiteLevels(db_, levels);
        return true;
    } catch (const store::Error& e) {
        prompter_.ask({e.description(), QStringLiteral("Trigger Levels"), app::Icon::Warning});
        return false;
    }
}

} // namespace levels
