// The six tabs of the main window and every control on them, placed at fixed
// positions: the tab control keeps its designed size whatever the window does,
// and the installation diagram is drawn to fixed rows.
#include "app/Pictures.h"
#include "app/ui/CommandLabel.h"
#include "app/ui/MainControls.h"
#include "graphs/Texts.h"
#include "graphs/ui/Chart.h"
#include "importer/Texts.h"
#include "maintenance/Texts.h"
#include "readings/Texts.h"
#include "sensors/RoofLocations.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>

namespace app {

namespace {

constexpr int BoxHeight = 24;
constexpr int CommandSize = 40;

constexpr QRect DiagramRect(430, 190, 150, 440);

class Builder {
public:
    explicit Builder(QWidget* page) : page_(page) {}

    template <class T> T* make(const QString& name, int x, int y, int w = 0, int h = 0) {
        return place(new T(page_), name, x, y, w, h);
    }
    // A control made elsewhere, onto this page.
    template <class T>
    T* place(T* control, const QString& name, int x, int y, int w = 0, int h = 0) {
        control->setParent(page_);
        control->setObjectName(name);
        control->move(x, y);
        if (w > 0) control->resize(w, h > 0 ? h : BoxHeight);
        return control;
    }

    QLabel* label(const QString& text, int x, int y, const QString& name = {}) {
        auto* l = new QLabel(text, page_);
        if (!name.isEmpty()) l->setObjectName(name);
        l->move(x, y);
        l->adjustSize();
        return l;
    }

    QLabel* heading(const QString& text, int x, int y, const QString& name = {}) {
        QLabel* l = label(text, x, y, name);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        l->adjustSize();
        return l;
    }

    QLineEdit* box(const QString& name, int x, int y, int w) {
        return make<QLineEdit>(name, x, y, w, BoxHeight);
    }

    // A picture command on its own (its caption, if any, is plain text).
    QToolButton* pictureButton(const QString& name, const QIcon& icon, const QString& tip, int x,
                               int y) {
        auto* button = make<QToolButton>(name, x, y, CommandSize, CommandSize);
        button->setIcon(icon);
        button->setIconSize(QSize(32, 32));
        button->setAutoRaise(true);
        button->setToolTip(tip);
        button->setCursor(Qt::PointingHandCursor);
        return button;
    }

    // A picture command and its caption label beside it; both run the command.
    QToolButton* command(const QString& name, const QIcon& icon, const QString& caption, int x,
                         int y, const QString& labelName = {}, QLabel** captionOut = nullptr) {
        QToolButton* button = pictureButton(name, icon, caption, x, y);
        auto* l = new CommandLabel(caption, button, page_);
        l->setObjectName(labelName.isEmpty() ? QStringLiteral("lbl") + name.mid(3) : labelName);
        l->move(x + CommandSize + 6, y + (CommandSize - l->sizeHint().height()) / 2);
        l->adjustSize();
        if (captionOut) *captionOut = l;
        return button;
    }

    // A combo box the user may type into; typed text is never added to its list.
    QComboBox* editableCombo(const QString& name, int x, int y, int w, const QStringList& items) {
        auto* combo = make<QComboBox>(name, x, y, w);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(items);
        return combo;
    }

    QLabel* picture(const QString& name, const QImage& image, int x, int y, bool visible = true) {
        auto* l = make<QLabel>(name, x, y);
        l->setPixmap(QPixmap::fromImage(image));
        l->adjustSize();
        l->setVisible(visible);
        return l;
    }

private:
    QWidget* page_;
};

QIcon standard(QStyle::StandardPixmap pixmap) {
    return QApplication::style()->standardIcon(pixmap);
}

QIcon drawn(const QImage& image) {
    return QIcon(QPixmap::fromImage(image));
}

QWidget* newPage(QTabWidget* tabs, const QString& caption) {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tab%1").arg(tabs->count()));
    tabs->addTab(page, caption);
    return page;
}

pictures::BoreholeRows diagramRows(pictures::Head head) {
    // The boxes are 24 pixels high; the drawing's rows are their centres.
    const auto row = [](int topTwips) { return twips(topTwips) + BoxHeight / 2 - DiagramRect.y(); };
    pictures::BoreholeRows rows;
    const sensors::DiagramPlacement p = sensors::diagramPlacement(head == pictures::Head::Collar);
    rows.head = row(p.headTop);
    for (int i = 0; i < 8; ++i)
        rows.anchors[size_t(i)] = row(p.anchorTops[size_t(i)]);
    rows.roof = DiagramRect.height() - 16;
    return rows;
}

void buildIdentification(QTabWidget* tabs, MainControls& c) {
    Builder b(newPage(tabs, QStringLiteral("1. Identification")));
    b.label(QStringLiteral("Add or Select Sensor:"), 20, 18);
    c.sensorUi.cboSensors = b.editableCombo(QStringLiteral("cboSensors"), 200, 14, 160, {});
    c.sensorUi.cboSensors->setMaxVisibleItems(20);
    // Sized for a nine-digit number: measuring every item of a long register
    // on the first showing would slow the start.
    c.sensorUi.cboSensors->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c.sensorUi.cboSensors->setMinimumContentsLength(9);
    b.label(QStringLiteral("# of Instruments:"), 390, 18);
    c.sensorUi.txtSCount = b.box(QStringLiteral("txtSCount"), 510, 14, 60);
    c.sensorUi.txtSCount->setReadOnly(true);

    b.label(QStringLiteral("Instrument ID:"), 20, 64);
    c.sensorUi.txtSensor = b.box(QStringLiteral("txtSensor"), 200, 60, 160);
    c.sensorUi.txtSensor->setReadOnly(true);
    b.label(QStringLiteral("Family:"), 20, 96);
    c.sensorUi.txtFamily = b.box(QStringLiteral("txtFamily"), 200, 92, 160);
    b.label(QStringLiteral("Date ID"), 200, 126);
    b.label(QStringLiteral("S Type"), 270, 126);
    b.label(QStringLiteral("S Number"), 340, 126);
    c.sensorUi.txtDateID = b.box(QStringLiteral("txtDateID"), 200, 144, 60);
    c.sensorUi.txtTypeID = b.box(QStringLiteral("txtTypeID"), 270, 144, 60);
    c.sensorUi.txtSensorNo = b.box(QStringLiteral("txtSensorNo"), 340, 144, 60);
    c.sensorUi.lbl = b.label(QStringLiteral("Length of MPBX (m):"), 20, 190, QStringLiteral("lbl"));
    c.sensorUi.lbl->resize(175, c.sensorUi.lbl->height());
    c.sensorUi.txtLengthofCable = b.box(QStringLiteral("txtLengthofCable"), 200, 186, 80);

    c.sensorUi.lblLocation = b.heading(QStringLiteral("Manufacturing Configuration:"), 20, 232,
                                       QStringLiteral("lblLocation"));
    c.sensorUi.lblLocation->resize(300, c.sensorUi.lblLocation->height());
    for (int i = 1; i <= 8; ++i) {
        const int x = 20 + (i - 1) * 64;
        b.label(QString::number(i), x + 24, 256);
        c.sensorUi.txtNode[size_t(i)] = b.box(QStringLiteral("txtNode%1").arg(i), x, 276, 58);
    }
    c.sensorUi.Option1 = b.make<QRadioButton>(QStringLiteral("Option1"), 20, 320);
    c.sensorUi.Option1->setText(QStringLiteral("Option 1 && 2 - Head at collar"));
    c.sensorUi.Option1->adjustSize();
    c.sensorUi.Option2 = b.make<QRadioButton>(QStringLiteral("Option2"), 20, 346);
    c.sensorUi.Option2->setText(QStringLiteral("Option 3 - Head at toe"));
    c.sensorUi.Option2->adjustSize();
    c.sensorUi.Option1->setChecked(true);

    b.label(QStringLiteral("Destroyed:"), 20, 400);
    c.sensorUi.cboDestroyed = b.make<QComboBox>(QStringLiteral("cboDestroyed"), 110, 396, 70);
    c.sensorUi.cboDestroyed->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
    b.label(QStringLiteral("Date:"), 200, 400);
    c.sensorUi.txtDestructionDate = b.box(QStringLiteral("txtDestructionDate"), 244, 396, 110);
    c.sensorUi.imgalive = b.picture(QStringLiteral("imgalive"), pictures::alive(), 0, 0, false);
    c.sensorUi.imgdead = b.picture(QStringLiteral("imgdead"), pictures::dead(), 0, 0, false);
    c.sensorUi.imgheart = b.picture(QStringLiteral("imgheart"), pictures::alive(), 372, 392);

    b.heading(QStringLiteral("Record Navigation:"), 620, 64);
    c.sensorUi.imgPrevious =
        b.command(QStringLiteral("imgPrevious"), standard(QStyle::SP_ArrowLeft),
                  QStringLiteral("Previous"), 620, 88);
    c.sensorUi.imgNext = b.command(QStringLiteral("imgNext"), standard(QStyle::SP_ArrowRight),
                                   QStringLiteral("Next"), 780, 88);
    c.sensorUi.txtSnav = b.box(QStringLiteral("txtSnav"), 620, 140, 200);
    c.sensorUi.txtSnav->setReadOnly(true);
    c.sensorUi.imgAddSensor = b.command(QStringLiteral("imgAddSensor"), drawn(pictures::plusIcon()),
                                        QStringLiteral("Add New"), 620, 200);
    c.sensorUi.imgDelete = b.command(QStringLiteral("imgDelete"), standard(QStyle::SP_TrashIcon),
                                     QStringLiteral("Delete"), 620, 256);
}

void buildInstallation(QTabWidget* tabs, MainControls& c) {
    Builder b(newPage(tabs, QStringLiteral("2. Installation")));
    b.label(QStringLiteral("Instrument ID:"), 20, 18);
    c.sensorUi.txtSensor2 = b.box(QStringLiteral("txtSensor2"), 130, 14, 160);
    c.sensorUi.txtSensor2->setReadOnly(true);
    b.heading(QStringLiteral("Installation:"), 20, 58);
    const std::array<std::pair<QString, QString>, 7> fields{{
        {QStringLiteral("Level:"), QStringLiteral("txtLevel")},
        {QStringLiteral("Location:"), QStringLiteral("txtLocation")},
        {QStringLiteral("Borehole:"), QStringLiteral("txtBorehole")},
        {QStringLiteral("Install Date:"), QStringLiteral("txtInstallDate")},
        {QStringLiteral("Installed By:"), QStringLiteral("txtInstallBy")},
        {QStringLiteral("Purpose:"), QStringLiteral("txtPurpose")},
        {QStringLiteral("Notes:"), QStringLiteral("txtNotes")},
    }};
    std::array<QLineEdit*, 7> boxes{};
    for (size_t i = 0; i < fields.size(); ++i) {
        const int y = 84 + int(i) * 32;
        QLabel* caption = b.label(fields[i].first, 20, y + 4);
        if (i == 6) {
            caption->setObjectName(QStringLiteral("lblNotes"));
            c.sensorUi.lblNotes = caption;
        }
        boxes[i] = b.box(fields[i].second, 130, y, 260);
    }
    c.sensorUi.txtLevel = boxes[0];
    c.sensorUi.txtLocation = boxes[1];
    c.sensorUi.txtBorehole = boxes[2];
    c.sensorUi.txtInstallDate = boxes[3];
    c.sensorUi.txtInstallDate->resize(120, BoxHeight);
    c.sensorUi.txtInstallBy = boxes[4];
    c.sensorUi.txtPurpose = boxes[5];
    c.sensorUi.txtNotes = boxes[6];
    c.sensorUi.cmdSave = b.make<QPushButton>(QStringLiteral("cmdSave"), 130, 330, 130, 30);
    c.sensorUi.cmdSave->setText(QStringLiteral("Save Changes"));

    // The borehole diagram: the head and anchor boxes sit on the drawing's rows.
    c.sensorUi.lbloption = b.heading(QStringLiteral("Option 1 and 2 - Head at Borehole Collar"),
                                     430, 150, QStringLiteral("lbloption"));
    c.sensorUi.lbloption->resize(360, c.sensorUi.lbloption->height());
    const sensors::DiagramPlacement collar = sensors::diagramPlacement(true);
    b.label(QStringLiteral("From roof (m):"), twips(collar.anchorLeft) - 4, 172);
    c.sensorUi.imgCollar = b.picture(QStringLiteral("imgCollar"),
                                     pictures::borehole(pictures::Head::Collar, DiagramRect.size(),
                                                        diagramRows(pictures::Head::Collar)),
                                     0, 0, false);
    c.sensorUi.imgToe = b.picture(QStringLiteral("imgToe"),
                                  pictures::borehole(pictures::Head::Toe, DiagramRect.size(),
                                                     diagramRows(pictures::Head::Toe)),
                                  0, 0, false);
    c.sensorUi.imgHead =
        b.picture(QStringLiteral("imgHead"), c.sensorUi.imgCollar->pixmap().toImage(),
                  DiagramRect.x(), DiagramRect.y());
    c.sensorUi.txtHead =
        b.box(QStringLiteral("txtHead"), twips(collar.anchorLeft), twips(collar.headTop), 60);
    c.sensorUi.txtHead->setReadOnly(true);
    for (int i = 1; i <= 8; ++i) {
        c.sensorUi.txtRelSGanchor[size_t(i)] =
            b.box(QStringLiteral("txtRelSGanchor%1").arg(i), twips(collar.anchorLeft),
                  twips(collar.anchorTops[size_t(i - 1)]), 60);
        c.sensorUi.txtRelSGanchor[size_t(i)]->setReadOnly(true);
    }
    c.sensorUi.txtRecess = b.box(QStringLiteral("txtRecess"), 700, 604, 60);
    c.sensorUi.lblRecess =
        b.label(QStringLiteral("m protruding from hole"), 766, 608, QStringLiteral("lblRecess"));
    c.sensorUi.lblRecess->resize(200, c.sensorUi.lblRecess->height());
    c.statusUi.imgTriggerLevels =
        b.command(QStringLiteral("imgTriggerLevels"), standard(QStyle::SP_MessageBoxWarning),
                  QStringLiteral("Trigger levels…"), 20, 430);
    c.importUi.imgCalibrations =
        b.command(QStringLiteral("imgCalibrations"), standard(QStyle::SP_FileDialogDetailedView),
                  QStringLiteral("Calibrations…"), 20, 480);
}

void buildReadings(QTabWidget* tabs, MainControls& c) {
    Builder b(newPage(tabs, QStringLiteral("3. Readings")));
    b.label(QStringLiteral("Instrument ID:"), 20, 18);
    c.sensorUi.txtSensor3 = b.box(QStringLiteral("txtSensor3"), 130, 14, 160);
    c.sensorUi.txtSensor3->setReadOnly(true);
    b.label(QStringLiteral("Reading ID:"), 20, 50);
    c.readingUi.txtReadingID = b.box(QStringLiteral("txtReadingID"), 130, 46, 300);
    c.readingUi.txtReadingID->setReadOnly(true);
    b.label(QStringLiteral("Reading Date:"), 20, 86);
    c.readingUi.dtpRdate = b.make<QDateEdit>(QStringLiteral("dtpRdate"), 130, 82, 110);
    c.readingUi.dtpRdate->setDisplayFormat(QStringLiteral("yy/MM/dd"));
    c.readingUi.dtpRdate->setCalendarPopup(true);
    b.label(QStringLiteral("Reading Time:"), 260, 86);
    c.readingUi.dtpRtime = b.make<QTimeEdit>(QStringLiteral("dtpRtime"), 360, 82, 100);
    c.readingUi.dtpRtime->setDisplayFormat(QStringLiteral("HH:mm:ss"));

    for (int i = 1; i <= 8; ++i) {
        const int y = 124 + (i - 1) * 30;
        c.sensorUi.lbln[size_t(i)] =
            b.make<QLabel>(QStringLiteral("lbln%1").arg(i), 20, y + 4, 94, 18);
        c.sensorUi.lbln[size_t(i)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        c.sensorUi.txtChannel[size_t(i)] = b.box(QStringLiteral("txtChannel%1").arg(i), 120, y, 90);
        c.sensorUi.lblmm[size_t(i)] =
            b.label(QStringLiteral("mm"), 216, y + 4, QStringLiteral("lblmm%1").arg(i));
    }
    c.sensorUi.lblTemp = b.make<QLabel>(QStringLiteral("lblTemp"), 20, 374, 94, 18);
    c.sensorUi.lblTemp->setText(QStringLiteral("Temperature:"));
    c.sensorUi.lblTemp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    c.sensorUi.txtChannelT = b.box(QStringLiteral("txtChannelT"), 120, 370, 90);
    c.sensorUi.Label47 = b.label(QStringLiteral("deg C"), 216, 374, QStringLiteral("Label47"));

    c.readingUi.chkTemporal = b.make<QCheckBox>(QStringLiteral("chkTemporal"), 20, 416);
    c.readingUi.chkTemporal->setText(QStringLiteral("Plot Temporal"));
    c.readingUi.chkTemporal->adjustSize();
    b.label(QStringLiteral("(Disp v Time)"), 150, 418);
    c.readingUi.chkSpatial = b.make<QCheckBox>(QStringLiteral("chkSpatial"), 20, 442);
    c.readingUi.chkSpatial->setText(QStringLiteral("Plot Spatial"));
    c.readingUi.chkSpatial->adjustSize();
    b.label(QStringLiteral("(Disp v Length)"), 150, 444);
    // The reading's quality beside its plot flags: kept apart from its values.
    b.label(readings::texts::QualityCaption, 290, 418);
    c.readingUi.cboQuality = b.make<QComboBox>(QStringLiteral("cboQuality"), 350, 414, 120);
    c.readingUi.cboQuality->addItems({readings::texts::QualityValid,
                                      readings::texts::QualitySuspect,
                                      readings::texts::QualityInvalid});
    b.label(readings::texts::NoteCaption, 290, 444);
    c.readingUi.txtQualityNote = b.box(QStringLiteral("txtQualityNote"), 350, 440, 130);

    c.sensorUi.lblError = b.make<QLabel>(QStringLiteral("lblError"), 20, 486, 460, 60);
    c.sensorUi.lblError->setText(QStringLiteral("Error:"));
    c.sensorUi.lblError->setWordWrap(true);
    c.sensorUi.lblError->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.sensorUi.lblError->setStyleSheet(QStringLiteral("color: #b00000;"));

    b.heading(QStringLiteral("View/Add Readings"), 520, 18);
    c.readingUi.imgFirst =
        b.command(QStringLiteral("imgFirst"), standard(QStyle::SP_MediaSkipBackward),
                  QStringLiteral("First"), 520, 44);
    c.readingUi.imgPrevData =
        b.command(QStringLiteral("imgPrevData"), standard(QStyle::SP_MediaSeekBackward),
                  QStringLiteral("Previous"), 630, 44);
    c.readingUi.imgNextData =
        b.command(QStringLiteral("imgNextData"), standard(QStyle::SP_MediaSeekForward),
                  QStringLiteral("Next"), 760, 44);
    c.readingUi.imgLast =
        b.command(QStringLiteral("imgLast"), standard(QStyle::SP_MediaSkipForward),
                  QStringLiteral("Last"), 870, 44);
    c.readingUi.txtRcount = b.box(QStringLiteral("txtRcount"), 520, 96, 200);
    c.readingUi.txtRcount->setReadOnly(true);
    c.readingUi.imgAddReading =
        b.command(QStringLiteral("imgAddReading"), drawn(pictures::plusIcon()),
                  QStringLiteral("Add New"), 520, 132);
    c.readingUi.imgDeleteReading =
        b.command(QStringLiteral("imgDeleteReading"), standard(QStyle::SP_TrashIcon),
                  QStringLiteral("Delete/Batch"), 700, 132);

    b.heading(QStringLiteral("Datasheet View:"), 520, 204);
    c.datasheetUi.imgDatasheet =
        b.command(QStringLiteral("imgDatasheet"), standard(QStyle::SP_FileDialogDetailedView),
                  QStringLiteral("Datasheet"), 520, 228);
    c.reportUi.imgReport =
        b.command(QStringLiteral("imgReport"), standard(QStyle::SP_FileIcon),
                  QStringLiteral("Report"), 700, 228, QStringLiteral("Label46"), &c.Label46);

    b.heading(readings::texts::ZeroHeading, 520, 404);
    c.readingUi.imgSetZero =
        b.command(QStringLiteral("imgSetZero"), standard(QStyle::SP_DialogResetButton),
                  readings::texts::ZeroCommand, 520, 428);

    b.heading(QStringLiteral("Import Datafiles:"), 520, 300);
    c.importUi.imgAddTroveData =
        b.pictureButton(QStringLiteral("imgAddTroveData"), standard(QStyle::SP_DialogOpenButton),
                        QStringLiteral("Import Datafiles"), 520, 324);
    b.label(QStringLiteral("Time Period (hr)"), 580, 334);
    c.importUi.cboTroveInt =
        b.editableCombo(QStringLiteral("cboTroveInt"), 700, 330, 70,
                        {QStringLiteral("1"), QStringLiteral("8"), QStringLiteral("24")});
    c.importUi.cboTroveInt->setCurrentIndex(2);
    c.importUi.imgImportLogger =
        b.command(QStringLiteral("imgImportLogger"), standard(QStyle::SP_FileIcon),
                  importer::texts::ImportLoggerCaption, 800, 324);
    c.importUi.imgImportFolder =
        b.command(QStringLiteral("imgImportFolder"), standard(QStyle::SP_DirOpenIcon),
                  importer::texts::ImportFolderCaption, 800, 366);
    c.importUi.chkArchiveImported =
        b.make<QCheckBox>(QStringLiteral("chkArchiveImported"), 800, 410, 260, 24);
    c.importUi.chkArchiveImported->setText(importer::texts::ArchiveImportedTick);
    c.importUi.chkArchiveImported->setToolTip(importer::texts::ArchiveImportedTip);
}

graphs::Chart* chart(Builder& b, graphs::Chart* plot, const QString& name) {
    return b.place(plot, name, 8, 8, 850, TabHeight - 52);
}

QPushButton* button(Builder& b, const QString& name, const QString& text, int x, int y, int w) {
    auto* pb = b.make<QPushButton>(name, x, y, w, 28);
    pb->setText(text);
    return pb;
}

void buildGraphs(QTabWidget* tabs, MainControls& c) {
    Builder t(newPage(tabs, QStringLiteral("4. Disp v Time")));
    c.graphUi.ChartT = chart(t, graphs::makeTimeChart(), QStringLiteral("ChartT"));
    // The scale selector moves between the two graph tabs at this left edge.
    c.graphUi.lblscale =
        t.label(QStringLiteral("Scale X axis (mm):"), twips(13080), 16, QStringLiteral("lblscale"));
    c.graphUi.cboScale =
        t.editableCombo(QStringLiteral("cboScale"), twips(13080), 38, 110,
                        {QStringLiteral("AutoScale"), QStringLiteral("25"), QStringLiteral("50"),
                         QStringLiteral("75"), QStringLiteral("100"), QStringLiteral("125")});
    c.graphUi.cmdTHelp =
        button(t, QStringLiteral("cmdTHelp"), QStringLiteral("?"), twips(13080), 86, 30);
    c.graphUi.cmdTemp = button(t, QStringLiteral("cmdTemp"), QStringLiteral("Export as JPG"),
                               twips(13080), 136, 120);
    // In the chart's empty corner under its legend, where the text has room.
    c.graphUi.chkTempAxis = t.make<QCheckBox>(QStringLiteral("chkTempAxis"), 745, 600, 240, 24);
    c.graphUi.chkTempAxis->setText(graphs::texts::TemperatureAxisTick);
    c.graphUi.chkTempAxis->raise();

    Builder s(newPage(tabs, QStringLiteral("5. Disp v Length")));
    c.graphUi.ChartS = chart(s, graphs::makeLengthChart(), QStringLiteral("ChartS"));
    c.graphUi.cmdDvl = button(s, QStringLiteral("cmdDvl"), QStringLiteral("Export as JPG"),
                              twips(13080), 136, 120);
    c.graphUi.lblW15 = s.make<QLabel>(QStringLiteral("lblW15"), twips(13080), 190, 126, 220);
    c.graphUi.lblW15->setText(
        QStringLiteral("There are more than 15 records selected, only the last 15 "
                       "readings will be plotted. Go to the Readings Tab to select "
                       "which data to plot"));
    c.graphUi.lblW15->setWordWrap(true);
    c.graphUi.lblW15->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.graphUi.lblW15->setStyleSheet(QStringLiteral("color: #b00000;"));
    c.graphUi.lblW15->hide();
}

void buildUtilities(QTabWidget* tabs, MainControls& c) {
    Builder b(newPage(tabs, QStringLiteral("6. Utilities")));
    b.heading(QStringLiteral("Filter Installed Sensors:"), 20, 18);
    b.label(QStringLiteral("Filter by Sensor Type:"), 20, 52);
    QStringList types;
    for (int n = 1; n <= 6; ++n)
        types << QStringLiteral("%1: q%2 MPBX or ROVA").arg(n * 10 + 11).arg(n);
    c.filterUi.txtFilterType =
        b.editableCombo(QStringLiteral("txtFilterType"), 200, 48, 200, types);
    c.filterUi.txtFilterType->setCurrentIndex(-1);
    c.filterUi.txtFilterType->setEditText(QString());
    b.label(QStringLiteral("Filter by Level:"), 20, 84);
    c.filterUi.txtFilterLevel = b.box(QStringLiteral("txtFilterLevel"), 200, 80, 200);
    b.label(QStringLiteral("Filter by Location:"), 20, 116);
    c.filterUi.txtFilterLocation = b.box(QStringLiteral("txtFilterLocation"), 200, 112, 200);
    b.label(QStringLiteral("Filter by Install Date: (yyyy/mm/dd)"), 20, 152);
    b.label(QStringLiteral("Start Date:"), 20, 180);
    c.filterUi.txtStartDate = b.box(QStringLiteral("txtStartDate"), 100, 176, 100);
    b.label(QStringLiteral("End Date:"), 220, 180);
    c.filterUi.txtEndDate = b.box(QStringLiteral("txtEndDate"), 290, 176, 100);
    c.filterUi.chkDontShowDestroyed =
        b.make<QCheckBox>(QStringLiteral("chkDontShowDestroyed"), 20, 214);
    c.filterUi.chkDontShowDestroyed->setText(QStringLiteral("Do Not Show Destroyed Sensors"));
    c.filterUi.chkDontShowDestroyed->adjustSize();
    c.filterUi.imgApplyFilter =
        b.picture(QStringLiteral("imgApplyFilter"), pictures::filterIcon(false), 0, 0, false);
    c.filterUi.imgRemoveFilter =
        b.picture(QStringLiteral("imgRemoveFilter"), pictures::filterIcon(true), 0, 0, false);
    c.filterUi.imgFilter =
        b.command(QStringLiteral("imgFilter"), drawn(pictures::filterIcon(false)),
                  QStringLiteral("Apply Filter"), 20, 248, QStringLiteral("lblFilterState"),
                  &c.filterUi.lblFilterState);
    c.filterUi.lblFilterState->resize(110, c.filterUi.lblFilterState->height());
    c.filterUi.lblFilter =
        b.label(QStringLiteral("* Filter Applied *"), 200, 260, QStringLiteral("lblFilter"));
    c.filterUi.lblFilter->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    c.filterUi.lblFilter->adjustSize();
    c.filterUi.lblFilter->hide();

    b.heading(QStringLiteral("Database:"), 20, 330);
    c.Image3 = b.pictureButton(QStringLiteral("Image3"), drawn(pictures::databaseIcon()),
                               QStringLiteral("Change Database Location"), 20, 354);
    b.label(QStringLiteral("Change Database Location"), 66, 366);

    b.heading(readings::texts::RecordsHeading, 20, 410);
    c.recoverUi.imgRecover = b.command(QStringLiteral("imgRecover"), standard(QStyle::SP_TrashIcon),
                                       readings::texts::RecoverCaption, 20, 434);
    c.imgHistory =
        b.command(QStringLiteral("imgHistory"), standard(QStyle::SP_FileDialogDetailedView),
                  maintenance::texts::HistoryCaption, 20, 484);
    c.statusUi.imgSiteLevels =
        b.command(QStringLiteral("imgSiteLevels"), standard(QStyle::SP_MessageBoxWarning),
                  QStringLiteral("Trigger levels of the site…"), 20, 534);

    b.heading(QStringLiteral("Choose an mdb file to restore from:"), 520, 18);
    c.backupUi.lstFiles = b.make<QListWidget>(QStringLiteral("lstFiles"), 520, 42, 320, 200);
    c.backupUi.imgBackup =
        b.command(QStringLiteral("imgBackup"), standard(QStyle::SP_DialogSaveButton),
                  QStringLiteral("Backup Database"), 520, 256);
    c.backupUi.imgRestore =
        b.command(QStringLiteral("imgRestore"), standard(QStyle::SP_BrowserReload),
                  QStringLiteral("Restore from Backup"), 520, 306);

    b.heading(QStringLiteral("Help:"), 520, 380);
    c.imgHelp = b.command(QStringLiteral("imgHelp"), standard(QStyle::SP_DialogHelpButton),
                          QStringLiteral("View Tolvane Manual"), 520, 404);
    c.imgInternet = b.command(QStringLiteral("imgInternet"), drawn(pictures::globeIcon()),
                              QStringLiteral("Visit the Vornhald website"), 520, 454);
    c.imgAbout = b.command(QStringLiteral("imgAbout"), standard(QStyle::SP_MessageBoxInformation),
                           QStringLiteral("About Vornhald's Tolvane"), 520, 504);
}

void buildStatus(QTabWidget* tabs, MainControls& c) {
    Builder b(newPage(tabs, QStringLiteral("7. Status")));
    b.heading(QStringLiteral("Every sensor against its trigger levels, worst first:"), 20, 18);
    b.label(QStringLiteral("Level:"), 20, 50);
    c.statusUi.cboStatusLevel = b.make<QComboBox>(QStringLiteral("cboStatusLevel"), 70, 46, 180);
    b.label(QStringLiteral("Location:"), 280, 50);
    c.statusUi.cboStatusLocation =
        b.make<QComboBox>(QStringLiteral("cboStatusLocation"), 350, 46, 220);
    c.statusUi.cmdStatusExport =
        b.make<QPushButton>(QStringLiteral("cmdStatusExport"), 620, 44, 170, 28);
    c.statusUi.cmdStatusExport->setText(QStringLiteral("Export to Excel"));
    c.statusUi.cmdStatusPrint =
        b.make<QPushButton>(QStringLiteral("cmdStatusPrint"), 800, 44, 170, 28);
    c.statusUi.cmdStatusPrint->setText(QStringLiteral("Print to PDF"));
    c.statusUi.tblStatus = b.make<QTableView>(QStringLiteral("tblStatus"), 20, 84, 965, 530);
    c.statusUi.lblStatusCount = b.make<QLabel>(QStringLiteral("lblStatusCount"), 20, 626);
}

} // namespace

MainControls buildMainControls(QTabWidget* tabs) {
    MainControls c;
    c.SSTab1 = tabs;
    tabs->setObjectName(QStringLiteral("SSTab1"));
    tabs->setFixedSize(TabWidth, TabHeight);
    buildIdentification(tabs, c);
    buildInstallation(tabs, c);
    buildReadings(tabs, c);
    buildGraphs(tabs, c);
    buildUtilities(tabs, c);
    buildStatus(tabs, c);
    // The controls more than one panel is given.
    c.sensorUi.SSTab1 = tabs;
    c.readingUi.SSTab1 = tabs;
    c.importUi.SSTab1 = tabs;
    c.graphUi.SSTab1 = tabs;
    c.datasheetUi.SSTab1 = tabs;
    c.reportUi.SSTab1 = tabs;
    c.readingUi.txtChannel = c.sensorUi.txtChannel;
    c.readingUi.txtChannelT = c.sensorUi.txtChannelT;
    c.readingUi.lblError = c.sensorUi.lblError;
    c.reportUi.ChartT = c.graphUi.ChartT;
    c.reportUi.ChartS = c.graphUi.ChartS;
    return c;
}

} // namespace app
