// The glue of the Readings tab: the reading shown, its pickers and value boxes,
// the stepping, add and delete commands and the tab's entry and exit.
#pragma once

#include "app/shell/AppState.h"
#include "readings/ui/ReadingControls.h"
#include "sensors/SensorKind.h"

#include <QObject>

#include <memory>

namespace readings {

class BatchDeleteDialog;
class QualityBox;
struct Reading;

class ReadingPanel : public QObject {
    Q_OBJECT
public:
    ReadingPanel(app::AppState& state, const ReadingControls& ui, sensors::CurrentSensorOf current,
                 QObject* parent = nullptr);
    ~ReadingPanel() override;

    // The current reading, or the empty state, into the tab's boxes.
    void fillreadings();
    // What changed in the boxes since the reading was shown, back into its
    // row. A failure is logged and told once, and the boxes keep what was
    // typed: false.
    bool SaveReadings();
    // A user edit of the date or time picker.
    void CheckDateTime();
    void CheckFutureDate();

    enum class Step { First, Last, Next, Previous };
    void step(Step step);
    void addReading();
    void deleteReading();

    // The tab change: entering opens the readings at the reading left last;
    // leaving remembers it and stores it.
    void enterReadingsTab();
    void leaveReadingsTab();

    // For the windows that work on the readings while the tab shows them
    // (import, datasheet): the bookmark := the current reading; and back: the
    // readings reopened at the bookmark (or the last), shown with the counter.
    void rememberShown();
    void returnToBookmark();
    // The Identification tab lets go of the bookmark: the next sensor's
    // readings start at their last.
    void forgetBookmark() { bookmark_ = 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    app::Prompter& prompter() const { return *state_.env.prompter; }
    store::RowSet* readings() const;
    bool hasRows() const;
    void showReading(const Reading& r);
    void showEmpty();
    void showUnsaved();
    void setPickers(const QDate& date, const QTime& time);
    void showCounter();
    // After a deletion: the last reading left, or the empty state.
    void showLastLeft();
    void pickerEdited(bool dateEdited);
    void remember(const store::RowSet& rs);
    Reading typedReading() const;

    app::AppState& state_;
    const ReadingControls ui_;
    const sensors::CurrentSensorOf current_;
    BatchDeleteDialog* deletion_ = nullptr;
    QualityBox* quality_ = nullptr;
    bool checking_ = false;
    // The row the boxes show: a reading is stored only over the row it was read
    // from, never over another that became current without being shown.
    qint64 shownRow_ = 0;
    std::unique_ptr<Reading> shown_; // the reading as last shown or stored
    QString toldFailure_;            // told once until a save succeeds
    // Typing a save could not store, shown again over its row when the row is
    // shown again (after leaving the tab, say) until a save stores it.
    std::unique_ptr<Reading> unsaved_;
    qint64 unsavedRow_ = 0;
    QString unsavedTable_;
    qint64 bookmark_ = 0; // the reading's rowid; 0: none
    // Whose reading the bookmark names: rowids are counted per table.
    QString bookmarkTable_;
};

} // namespace readings
