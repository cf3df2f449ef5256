#include "sensors/ui/SensorPanel.h"

#include "app/TextFormat.h"
#include "app/shell/SaveFailure.h"
#include "app/ui/KeyAscii.h"
#include "app/ui/Twips.h"
#include "readings/ui/ReadingTableQuestions.h"
#include "sensors/RoofLocations.h"
#include "sensors/SensorRecord.h"
#include "sensors/SensorTypes.h"
#include "sensors/Texts.h"
#include "store/Criteria.h"
#include "store/ReadingTables.h"

#include <QComboBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QToolButton>

namespace sensors {

// The list's numbers with a coloured dot beside those that have a mark.
class SensorPanel::MarkedNumbers : public QStringListModel {
public:
    using QStringListModel::QStringListModel;
    void setMarks(const QHash<QString, QColor>& marks) {
        if (marks == marks_) return;
        marks_ = marks;
        icons_.clear();
        if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole});
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DecorationRole) return QStringListModel::data(index, role);
        const auto mark =
            marks_.constFind(QStringListModel::data(index, Qt::DisplayRole).toString());
        if (mark == marks_.constEnd()) return {};
        auto icon = icons_.find(mark->rgb());
        if (icon == icons_.end()) icon = icons_.insert(mark->rgb(), dot(*mark));
        return *icon;
    }

private:
    static QIcon dot(const QColor& colour) {
        QPixmap p(12, 12);
        p.fill(Qt::transparent);
        QPainter painter(&p);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(colour.darker(140));
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        return QIcon(p);
    }
    QHash<QString, QColor> marks_;
    mutable QHash<QRgb, QIcon> icons_;
};

namespace {

const QColor LightGrey(0xE0, 0xE0, 0xE0);
const QColor White(0xFF, 0xFF, 0xFF);

void setBackColour(QLineEdit* box, const QColor& colour) {
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour); // every colour group: a disabled box too
    box->setPalette(p);
}

bool isDigit(int ch) {
    return ch >= '0' && ch <= '9';
}

QString criteriaFor(const QString& number) {
    return store::textEquals(QStringLiteral("InstrumentID"), number);
}

} // namespace

SensorPanel::SensorPanel(app::AppState& state, const SensorControls& ui, QObject* parent)
    : QObject(parent), state_(state), ui_(ui) {
    // The list completes typed numbers itself, by its own rule. A string list
    // model takes a register of thousands in one reset, not item by item.
    ui_.cboSensors->setCompleter(nullptr);
    numbers_ = new MarkedNumbers(ui_.cboSensors);
    ui_.cboSensors->setModel(numbers_);
    // Keys reach the list itself, which hands them to its line edit without
    // that edit's event filters: the list's key rules watch the list.
    ui_.cboSensors->installEventFilter(this);
    ui_.cboDestroyed->installEventFilter(this);
    ui_.txtRecess->installEventFilter(this);
    for (int i = 1; i <= 8; ++i)
        ui_.txtNode[size_t(i)]->installEventFilter(this);

    connect(ui_.cboSensors, &QComboBox::activated, this, &SensorPanel::sensorListClicked);
    connect(ui_.cboSensors->lineEdit(), &QLineEdit::textEdited, this, [this] {
        app::logAndLeave(state_.log, texts::ListKeyDownLabel, [&] {
            if (!SkipAutoComplete) completeSensorNumber();
        });
    });
    connect(ui_.cboDestroyed, &QComboBox::activated, this, &SensorPanel::destroyedClicked);
    connect(ui_.cmdSave, &QPushButton::clicked, this, &SensorPanel::savefields);
    connect(ui_.imgAddSensor, &QToolButton::clicked, this, &SensorPanel::addNew);
    connect(ui_.imgNext, &QToolButton::clicked, this, &SensorPanel::next);
    connect(ui_.imgPrevious, &QToolButton::clicked, this, &SensorPanel::previous);
    connect(ui_.imgDelete, &QToolButton::clicked, this, &SensorPanel::deleteSensor);
}

SensorPanel::~SensorPanel() = default;

void SensorPanel::setKind(const QString& code) {
    if (!setSensorKind(kind_, code)) prompter().ask({texts::UnknownType, texts::AppTitle});
}

CurrentSensor SensorPanel::current() const {
    const store::RowSet& rs = state_.sensorRegister();
    return {rs.value(QStringLiteral("InstrumentID")).toString(),
            rs.value(QStringLiteral("SensorType")).toString(), kind_.numNodes,
            kind_.hasTemperature};
}

bool SensorPanel::hasCurrentSensor() const {
    const store::RowSet* rs = state_.rsSensors.get();
    return rs && rs->isOpen() && !rs->isBOF() && !rs->isEOF();
}

// ---------------------------------------------------------------- fill and save

void SensorPanel::fillfields() {
    store::RowSet* rs = state_.rsSensors.get();
    if (!rs || !rs->isOpen() || rs->RecordCount() == 0) {
        showNoRecord();
        return;
    }
    if (rs->isBOF() || rs->isEOF()) {
        prompter().ask({texts::FirstOrLast, texts::CannotFillTitle, app::Icon::Warning});
        return;
    }
    showRecord(readSensorRecord(*rs));
}

void SensorPanel::showNoRecord() {
    for (QLineEdit* box :
         {ui_.txtSensor, ui_.txtDateID, ui_.txtTypeID, ui_.txtSensorNo, ui_.txtFamily,
          ui_.txtLengthofCable, ui_.txtSensor2, ui_.txtLevel, ui_.txtLocation, ui_.txtBorehole,
          ui_.txtInstallDate, ui_.txtInstallBy, ui_.txtPurpose, ui_.txtNotes, ui_.txtRecess})
        box->clear();
    for (int i = 1; i <= 8; ++i)
        ui_.txtNode[size_t(i)]->clear();
    ui_.txtSCount->setText(QStringLiteral("0"));
    ui_.txtSnav->setText(texts::NoRecords);
    shown_.reset();
}

void SensorPanel::showRecord(const SensorRecord& r) {
    const store::RowSet& rs = *state_.rsSensors;
    ui_.txtSensor->setText(r.instrumentId);
    ui_.txtDateID->setText(r.dateId);
    ui_.txtTypeID->setText(r.typeId);
    ui_.txtSensorNo->setText(r.sensorNo);
    ui_.txtFamily->setText(r.family);
    ui_.lbl->setText(r.family.contains(QLatin1String("ROVA")) ? texts::LengthOfRova
                                                              : texts::LengthOfMpbx);
    ui_.txtSCount->setText(QString::number(rs.RecordCount()));
    ui_.txtLengthofCable->setText(r.length);
    ui_.txtSnav->setText(
        QStringLiteral("%1 of %2").arg(rs.AbsolutePosition()).arg(rs.RecordCount()));
    ui_.txtSensor2->setText(r.instrumentId);
    ui_.txtLevel->setText(r.level);
    ui_.txtLocation->setText(r.location);
    ui_.txtBorehole->setText(r.borehole);
    ui_.txtInstallDate->setText(r.installDate);
    ui_.txtInstallBy->setText(r.installBy);
    ui_.txtPurpose->setText(r.purpose);
    ui_.txtNotes->setText(r.notes);
    ui_.txtRecess->setText(r.recess);
    (r.headAtCollar ? ui_.Option1 : ui_.Option2)->setChecked(true);
    for (int i = 1; i <= 8; ++i)
        ui_.txtNode[size_t(i)]->setText(r.nodes[size_t(i - 1)]);
    setKind(r.sensorType);
    CalcReltoRoof();
    ui_.txtSensor3->setText(r.instrumentId);
    ui_.cboDestroyed->setCurrentText(r.destroyed);
    const bool destroyed = r.destroyed == QLatin1String("Yes");
    showHeart(destroyed);
    ui_.txtDestructionDate->setText(r.destructionDate);
    setKind(r.sensorType);
    ConfigureForm();
    for (int tab : {0, 1, 3, 4, 5})
        ui_.SSTab1->setTabEnabled(tab, true);
    // What the boxes show is what a save compares with, and the version it
    // may replace.
    shown_ = std::make_unique<SensorRecord>(recordFromBoxes());
    seen_ = recordVersion(rs.database(), r.instrumentId);
    toldFailure_.clear();
}

SensorRecord SensorPanel::recordFromBoxes() const {
    SensorRecord r;
    r.instrumentId = ui_.txtSensor->text();
    r.dateId = ui_.txtDateID->text();
    r.typeId = ui_.txtTypeID->text();
    r.sensorNo = ui_.txtSensorNo->text();
    r.family = ui_.txtFamily->text();
    r.length = ui_.txtLengthofCable->text();
    r.level = ui_.txtLevel->text();
    r.location = ui_.txtLocation->text();
    r.borehole = ui_.txtBorehole->text();
    r.installDate = ui_.txtInstallDate->text();
    r.installBy = ui_.txtInstallBy->text();
    r.purpose = ui_.txtPurpose->text();
    r.notes = ui_.txtNotes->text();
    r.recess = ui_.txtRecess->text();
    r.headAtCollar = ui_.Option1->isChecked();
    for (int i = 1; i <= 8; ++i)
        r.nodes[size_t(i - 1)] = ui_.txtNode[size_t(i)]->text();
    r.destroyed = ui_.cboDestroyed->currentText();
    r.destructionDate = ui_.txtDestructionDate->text();
    return r;
}

bool SensorPanel::savefields() {
    store::RowSet* rs = state_.rsSensors.get();
    if (!rs || !rs->isOpen() || rs->RecordCount() == 0) return true;
    if (rs->isBOF() || rs->isEOF()) {
        prompter().ask({texts::FirstOrLast, texts::CannotSaveTitle, app::Icon::Warning});
        return true;
    }
    const SensorRecord r = recordFromBoxes();
    std::exception_ptr failure;
    std::optional<RecordVersion> newer;
    app::logAndLeave(state_.log, texts::SavefieldsLabel, [&] {
        try {
            writeRecordColumns(*rs, r, shown_.get());
            CalcReltoRoof();
            writeDestroyed(*rs, r, shown_.get());
            storeRecord(*rs, &seen_);
        } catch (const RecordChanged& changed) {
            newer = changed.now();
        } catch (...) {
            failure = std::current_exception();
            throw;
        }
    });
    if (newer) {
        // Another user's save stands; the boxes show it instead of what was typed.
        prompter().ask(
            {texts::changedSinceOpened(newer->by, newer->at), texts::AppTitle, app::Icon::Warning});
        // What was typed is dropped, not stored by the move a requery makes.
        rs->CancelUpdate();
        rs->Requery();
        showRecord(readSensorRecord(*rs));
        return false;
    }
    if (failure) {
        tellNotSaved(r.instrumentId, failure, r);
        return false;
    }
    shown_ = std::make_unique<SensorRecord>(r);
    toldFailure_.clear();
    return true;
}

void SensorPanel::tellNotSaved(const QString& number, const std::exception_ptr& failure,
                               const SensorRecord& typed) {
    QStringList numbers{typed.length, typed.recess};
    numbers.append(QList<QString>(typed.nodes.begin(), typed.nodes.end()));
    const QString message = texts::sensorNotSaved(number, app::saveFailureReason(failure, numbers));
    // Saves run at every key of some boxes: one failure is told once.
    if (message == toldFailure_) return;
    toldFailure_ = message;
    prompter().ask({message, texts::AppTitle, app::Icon::Warning});
}

void SensorPanel::CalcReltoRoof() {
    RoofInput in;
    in.recess = ui_.txtRecess->text();
    in.length = ui_.txtLengthofCable->text();
    for (int i = 1; i <= 8; ++i)
        in.nodes[size_t(i - 1)] = ui_.txtNode[size_t(i)]->text();
    in.headAtCollar = ui_.Option1->isChecked();
    in.numNodes = kind_.numNodes;
    const RoofLocations out = sensors::CalcReltoRoof(in);
    ui_.txtHead->setText(out.head);
    for (int i = 1; i <= 8; ++i)
        ui_.txtRelSGanchor[size_t(i)]->setText(out.anchors[size_t(i - 1)]);
}

void SensorPanel::ConfigureForm() {
    ui_.lblError->hide();
    for (int i = 1; i <= 8; ++i) {
        const auto k = size_t(i);
        ui_.txtNode[k]->setEnabled(false);
        setBackColour(ui_.txtNode[k], LightGrey);
        ui_.txtChannel[k]->setEnabled(false);
        setBackColour(ui_.txtChannel[k], LightGrey);
        ui_.lblmm[k]->setEnabled(false);
        ui_.lblmm[k]->setText(QStringLiteral("mm"));
        ui_.lbln[k]->setEnabled(false);
        ui_.lbln[k]->clear();
    }
    ui_.lblLocation->setText(kind_.locationCaption);
    ui_.lblNotes->setText(kind_.notesCaption);
    if (kind_.nodesEditable) {
        for (int i = 1; i <= std::min(kind_.numAnchors, 8); ++i) {
            ui_.txtNode[size_t(i)]->setEnabled(true);
            setBackColour(ui_.txtNode[size_t(i)], White);
        }
    }
    for (int i = 1; i <= std::min(kind_.numNodes, 8); ++i) {
        const auto k = size_t(i);
        ui_.lbln[k]->setText(ui_.txtRelSGanchor[k]->text() + QStringLiteral(" m"));
        ui_.lbln[k]->setEnabled(true);
        ui_.lblmm[k]->setEnabled(true);
        ui_.txtChannel[k]->setEnabled(true);
        setBackColour(ui_.txtChannel[k], White);
    }
    ui_.txtChannelT->setEnabled(true);
    setBackColour(ui_.txtChannelT, White);
    ui_.lblTemp->setEnabled(true);
    ui_.Label47->setEnabled(true);
}

void SensorPanel::arrangeDiagram() {
    const bool collar = ui_.Option1->isChecked();
    const DiagramPlacement p = diagramPlacement(collar);
    ui_.lblRecess->setText(texts::RecessCaption);
    ui_.lbloption->setText(collar ? texts::HeadAtCollar : texts::HeadAtToe);
    ui_.imgHead->setPixmap((collar ? ui_.imgCollar : ui_.imgToe)->pixmap());
    ui_.txtHead->move(ui_.txtHead->x(), app::twips(p.headTop));
    for (int i = 1; i <= 8; ++i)
        ui_.txtRelSGanchor[size_t(i)]->move(app::twips(p.anchorLeft),
                                            app::twips(p.anchorTops[size_t(i - 1)]));
}

void SensorPanel::showHeart(bool destroyed) {
    ui_.imgheart->setPixmap((destroyed ? ui_.imgdead : ui_.imgalive)->pixmap());
}

// ---------------------------------------------------------------- the list

void SensorPanel::showSensors(const QStringList& numbers) {
    numbers_->setStringList(numbers);
    store::RowSet* rs = state_.rsSensors.get();
    if (rs && rs->isOpen() && rs->RecordCount() > 0) rs->MoveFirst();
    fillfields();
    if (!numbers.isEmpty()) ui_.cboSensors->setCurrentIndex(0);
    ui_.txtSCount->setText(QString::number(numbers.size()));
}

void SensorPanel::setMarks(const QHash<QString, QColor>& marks) {
    numbers_->setMarks(marks);
}

void SensorPanel::showSensor(const QString& number) {
    const int index = ui_.cboSensors->findText(number, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        ui_.cboSensors->setCurrentIndex(index);
    else
        ui_.cboSensors->setEditText(number);
    sensorListClicked();
}

void SensorPanel::setListText(const QString& number) {
    QComboBox* list = ui_.cboSensors;
    // The list mostly follows the register's order: try the row's own place first.
    const int guess = state_.rsSensors ? state_.rsSensors->AbsolutePosition() - 1 : -1;
    const int index = guess >= 0 && guess < list->count() && list->itemText(guess) == number
                          ? guess
                          : list->findText(number, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        list->setCurrentIndex(index);
    else
        list->setEditText(number);
}

void SensorPanel::sensorListClicked() {
    if (loading_) return;
    app::logAndLeave(state_.log, texts::ListClickLabel, [&] {
        store::RowSet& rs = state_.sensorRegister();
        // A sensor whose typing could not be stored stays shown, with it.
        if (!savefields()) {
            setListText(ui_.txtSensor->text());
            return;
        }
        rs.MoveFirst();
        rs.Find(criteriaFor(ui_.cboSensors->currentText()));
        if (rs.isEOF()) prompter().ask({texts::SensorNotFound, texts::AppTitle});
        fillfields();
        ui_.txtSCount->setText(QString::number(rs.RecordCount()));
    });
}

void SensorPanel::completeSensorNumber() {
    QComboBox* list = ui_.cboSensors;
    QLineEdit* edit = list->lineEdit();
    const QString typed = edit->text();
    if (typed.isEmpty() || list->count() == 0) return;
    const int caret = edit->cursorPosition();
    // From the second item round to the first, as the list's own search goes.
    int found = -1;
    for (int k = 1; k <= list->count() && found < 0; ++k) {
        const int i = k % list->count();
        if (list->itemText(i).startsWith(typed, Qt::CaseInsensitive)) found = i;
    }
    if (found < 0) return;
    const QString item = list->itemText(found);
    if (list->currentIndex() != found) list->setCurrentIndex(found);
    edit->setText(item);
    edit->setSelection(caret, int(item.size()) - caret);
}

bool SensorPanel::sensorListKey(QKeyEvent* key) {
    bool consumed = false;
    app::logAndLeave(state_.log, texts::ListKeyDownLabel, [&] {
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)
            SkipAutoComplete = true;
        else if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            SkipAutoComplete = false;
    });
    app::logAndLeave(state_.log, texts::ListKeyPressLabel, [&] {
        const int ch = app::keyAscii(key);
        if (ch == 13) {
            // Enter chooses a listed sensor, or offers to add the number typed,
            // as the existing-sensor message tells the user.
            consumed = true;
            const QString typed = ui_.cboSensors->currentText().trimmed();
            const int index = ui_.cboSensors->findText(typed, Qt::MatchExactly);
            if (index >= 0) {
                ui_.cboSensors->setCurrentIndex(index);
                sensorListClicked();
            } else if (!typed.isEmpty()) {
                NewSensorNo = typed;
                AddTypedSensor();
            }
            return;
        }
        if (ch > 0 && ch != 8 && ui_.cboSensors->currentText().size() > 9) consumed = true;
    });
    return consumed;
}

// ---------------------------------------------------------------- Destroyed

void SensorPanel::destroyedClicked() {
    const QString choice = ui_.cboDestroyed->currentText();
    if (choice == QLatin1String("Yes")) {
        ui_.txtDestructionDate->setText(app::shortDate(state_.env.clock->now().date()));
        savefields();
        ui_.txtDestructionDate->setFocus();
        showHeart(true);
    } else if (choice == QLatin1String("No")) {
        ui_.txtDestructionDate->clear();
        savefields();
        ui_.txtDestructionDate->setFocus();
        showHeart(false);
    }
    savefields();
}

bool SensorPanel::destroyedKey(QKeyEvent* key) {
    const int ch = app::keyAscii(key);
    // Tab moves on to the next box, as from any other.
    if (ch < 0 || ch == 9) return false;
    if (ch == 'N' || ch == 'n') {
        ui_.cboDestroyed->setCurrentText(QStringLiteral("No"));
        destroyedClicked();
    } else if (ch == 'Y' || ch == 'y') {
        ui_.cboDestroyed->setCurrentText(QStringLiteral("Yes"));
        destroyedClicked();
    }
    savefields();
    return true;
}

// ---------------------------------------------------------------- number boxes

bool SensorPanel::nodeKey(QKeyEvent* key) const {
    const int ch = app::keyAscii(key);
    if (ch < 0) return false;
    const bool accepted = isDigit(ch) || ch == 8 || ch == 9 || ch == 44 || ch == 46 || ch == 127 ||
                          ch == 13 || ch == 45;
    return !accepted;
}

bool SensorPanel::recessKey(QKeyEvent* key) {
    const int ch = app::keyAscii(key);
    if (ch < 0 || ch == 8 || ch == 44 || ch == 127) return false;
    if (ch == 9 || isDigit(ch) || ch == 46 || ch == 13 || ch == 45) {
        // Stored as the box reads before the key reaches it.
        savefields();
        return false;
    }
    return true;
}

bool SensorPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == ui_.cboSensors) return sensorListKey(key);
    if (watched == ui_.cboDestroyed) return destroyedKey(key);
    if (watched == ui_.txtRecess) return recessKey(key);
    for (int i = 1; i <= 8; ++i)
        if (watched == ui_.txtNode[size_t(i)]) return nodeKey(key);
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------- tabs

void SensorPanel::leaveRecordTab() {
    if (savefields()) fillfields();
}

void SensorPanel::enterIdentification() {
    ui_.cboSensors->setFocus();
}

void SensorPanel::enterInstallation() {
    arrangeDiagram();
    ui_.txtLevel->setFocus();
}

// ---------------------------------------------------------------- commands

void SensorPanel::addNew() {
    NewSensorNo.clear();
    NewSensorNo =
        prompter().input(texts::EnterNewSensor, texts::AddNewSensorTitle).value_or(QString());
    if (NewSensorNo.isEmpty()) {
        prompter().ask({texts::NoSensorEntered, texts::AppTitle});
        return;
    }
    AddTypedSensor();
}

void SensorPanel::AddTypedSensor() {
    app::logAndLeave(state_.log, texts::AddTypedSensorLabel, [&] {
        const QString number = NewSensorNo;
        ui_.cboSensors->setEditText(number);
        if (!savefields()) return;
        if (const QString refusal = refusalOfNewNumber(number); !refusal.isEmpty()) {
            prompter().ask({refusal, texts::InvalidNumberTitle});
            return;
        }
        const SensorNumberParts parts = splitSensorNumber(number);
        setKind(parts.typeCode);
        // The register is asked directly: moving rsSensors to look would leave
        // the boxes of one sensor over the row of another.
        const bool registered = registerHolds(state_.database(), number);
        if (registered || readings::TableExists(state_, state_.DBPath, number)) {
            if (registered)
                prompter().ask(
                    {texts::alreadyExists(number), texts::Title, app::Icon::Information});
            return;
        }
        if (prompter().ask({texts::addQuestion(number), texts::Title, app::Icon::None,
                            app::Buttons::YesNo}) != app::Answer::Yes)
            return;
        const bool mpbx = prompter().ask({texts::IsMpbxQuestion, texts::Title, app::Icon::None,
                                          app::Buttons::YesNo}) == app::Answer::Yes;
        store::RowSet& rs = state_.sensorRegister();
        addSensorRow(rs, {number, familyOf(kind_.modelName, mpbx), kind_.modelCode,
                          app::yearFirst(state_.env.clock->now().date())});
        fillfields();
        readings::AddDataTable(state_, prompter());
        ui_.cboSensors->addItem(number);
        setListText(number);
        ui_.txtSCount->setText(QString::number(rs.RecordCount()));
        rs.Requery();
        rs.MoveFirst();
        rs.Find(criteriaFor(number));
        if (rs.isEOF() && !rs.filter().isEmpty()) {
            // A filter that leaves the new sensor out gives way, so that the
            // sensor just added is the one shown and stored.
            rs.clearFilter();
            showSensors(sensorNumbers(rs));
            rs.Find(criteriaFor(number));
            setListText(number);
            emit filterCleared();
        }
        fillfields();
        savefields();
    });
}

void SensorPanel::next() {
    step(true);
}

void SensorPanel::previous() {
    step(false);
}

// One sensor on or back; at either end only the message.
void SensorPanel::step(bool forward) {
    app::logAndLeave(state_.log, forward ? texts::NextLabel : texts::PreviousLabel, [&] {
        store::RowSet& rs = state_.sensorRegister();
        if (rs.AbsolutePosition() == (forward ? rs.RecordCount() : 1)) {
            prompter().ask(
                {forward ? texts::EndOfSensors : texts::StartOfSensors, texts::AppTitle});
            return;
        }
        if (!savefields()) return;
        forward ? rs.MoveNext() : rs.MovePrevious();
        fillfields();
        setListText(rs.value(QStringLiteral("InstrumentID")).toString());
    });
}

void SensorPanel::deleteSensor() {
    // With no sensor shown there is nothing to delete.
    if (!hasCurrentSensor() || !state_.cnDatabase) return;
    store::RowSet& rs = *state_.rsSensors;
    QString id;
    app::ignoreFailure([&] { id = rs.value(QStringLiteral("InstrumentID")).toString(); });
    if (prompter().ask({texts::deleteQuestion(id), texts::TitleUpper, app::Icon::None,
                        app::Buttons::YesNo}) != app::Answer::Yes)
        return;
    // Row sets over the table about to go are closed without storing: nothing
    // of a sensor being deleted is saved.
    for (auto* open : {&state_.rsSensorData, &state_.rsGraphData})
        if (*open && (*open)->tableName() == id) open->reset();
    app::logAndLeave(state_.log, texts::DeleteLabel,
                     [&] { removeSensor(*state_.cnDatabase, rs, id); });
    state_.rsNetworkConfig.reset();
    QStringList numbers;
    app::ignoreFailure([&] { numbers = sensorNumbers(rs); });
    showSensors(numbers);
}

} // namespace sensors
