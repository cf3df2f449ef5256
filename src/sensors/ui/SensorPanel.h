// The glue of the first two tabs: the sensor record's boxes, the sensor list,
// the Destroyed box, the key filters, the installation diagram and the
// commands that add, step through and delete sensors.
#pragma once

#include "app/shell/AppState.h"
#include "sensors/SensorKind.h"
#include "sensors/SensorRecord.h"
#include "sensors/ui/SensorControls.h"

#include <QColor>
#include <QHash>
#include <QObject>
#include <QStringList>

#include <memory>

class QKeyEvent;
class QStringListModel;

namespace sensors {

struct SensorRecord;

class SensorPanel : public QObject {
    Q_OBJECT
public:
    SensorPanel(app::AppState& state, const SensorControls& ui, QObject* parent = nullptr);
    ~SensorPanel() override;

    // The sensor shown, as the other panels are handed it; store::Error when
    // no register is open or no row is current.
    CurrentSensor current() const;
    // While start-up runs (and after a failed one) the list ignores clicks.
    void setLoading(bool loading) { loading_ = loading; }

    void fillfields();
    // Stores what changed in the boxes since the record was shown. A failure
    // is logged and told once, and the boxes keep what was typed: false.
    bool savefields();
    void ConfigureForm();
    void CalcReltoRoof();
    // Places the head picture and boxes of the installation diagram for the
    // head option.
    void arrangeDiagram();

    // The list refilled with numbers (the order of rsSensors), the first sensor
    // shown and counted.
    void showSensors(const QStringList& numbers);
    // A coloured mark beside each listed sensor that has one (its status);
    // the others go without.
    void setMarks(const QHash<QString, QColor>& marks);
    // The sensor shown on the first tab, as a click in cboSensors picks it.
    void showSensor(const QString& number);

    // Leaving tab 0 or 1 stores the record and shows it again; entering them
    // prepares each.
    void leaveRecordTab();
    void enterIdentification();
    void enterInstallation();

    // Commands.
    void addNew();
    void AddTypedSensor();
    void next();
    void previous();
    void deleteSensor();
    void sensorListClicked();
    void destroyedClicked();

signals:
    // The register lost its filter (a sensor was added that the filter left out).
    void filterCleared();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    app::Prompter& prompter() const { return *state_.env.prompter; }
    bool hasCurrentSensor() const;
    // The kind of a type code; an unknown one is announced.
    void setKind(const QString& code);
    SensorRecord recordFromBoxes() const;
    void showRecord(const SensorRecord& record);
    void showNoRecord();
    void setListText(const QString& number);
    void showHeart(bool destroyed);
    void step(bool forward);

    bool sensorListKey(QKeyEvent* key);
    void completeSensorNumber();
    bool destroyedKey(QKeyEvent* key);
    bool nodeKey(QKeyEvent* key) const;
    bool recessKey(QKeyEvent* key);
    void tellNotSaved(const QString& number, const std::exception_ptr& failure,
                      const SensorRecord& typed);

    app::AppState& state_;
    const SensorControls ui_;
    class MarkedNumbers;
    MarkedNumbers* numbers_ = nullptr; // the items of cboSensors
    SensorKind kind_;
    bool loading_ = false;
    QString NewSensorNo;
    bool SkipAutoComplete = false;
    std::unique_ptr<SensorRecord> shown_; // the record as last shown or stored
    RecordVersion seen_;                  // the record's version when it was shown
    QString toldFailure_;                 // told once until a save succeeds
};

} // namespace sensors
