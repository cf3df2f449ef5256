// The controls each panel is given, taken from the window's one set.
#include "app/ui/MainControls.h"
#include "graphs/ui/GraphControls.h"
#include "importer/ui/ImportControls.h"
#include "maintenance/ui/BackupControls.h"
#include "outputs/ui/DatasheetControls.h"
#include "outputs/ui/ReportControls.h"
#include "readings/ui/ReadingControls.h"
#include "sensors/ui/FilterControls.h"
#include "sensors/ui/SensorControls.h"

namespace app {

outputs::DatasheetControls MainControls::datasheetControls() const {
    outputs::DatasheetControls c;
    c.SSTab1 = SSTab1;
    c.imgDatasheet = imgDatasheet;
    return c;
}

sensors::SensorControls MainControls::sensorControls() const {
    sensors::SensorControls c;
    c.SSTab1 = SSTab1;
    c.cboSensors = cboSensors;
    c.txtSCount = txtSCount;
    c.txtSensor = txtSensor;
    c.txtFamily = txtFamily;
    c.txtDateID = txtDateID;
    c.txtTypeID = txtTypeID;
    c.txtSensorNo = txtSensorNo;
    c.lbl = lbl;
    c.txtLengthofCable = txtLengthofCable;
    c.lblLocation = lblLocation;
    c.txtNode = txtNode;
    c.Option1 = Option1;
    c.Option2 = Option2;
    c.cboDestroyed = cboDestroyed;
    c.txtDestructionDate = txtDestructionDate;
    c.imgheart = imgheart;
    c.imgalive = imgalive;
    c.imgdead = imgdead;
    c.txtSnav = txtSnav;
    c.imgPrevious = imgPrevious;
    c.imgNext = imgNext;
    c.imgAddSensor = imgAddSensor;
    c.imgDelete = imgDelete;
    c.txtSensor2 = txtSensor2;
    c.txtLevel = txtLevel;
    c.txtLocation = txtLocation;
    c.txtBorehole = txtBorehole;
    c.txtInstallDate = txtInstallDate;
    c.txtInstallBy = txtInstallBy;
    c.txtPurpose = txtPurpose;
    c.lblNotes = lblNotes;
    c.txtNotes = txtNotes;
    c.txtRecess = txtRecess;
    c.lblRecess = lblRecess;
    c.lbloption = lbloption;
    c.imgHead = imgHead;
    c.imgCollar = imgCollar;
    c.imgToe = imgToe;
    c.txtHead = txtHead;
    c.txtRelSGanchor = txtRelSGanchor;
    c.cmdSave = cmdSave;
    c.txtSensor3 = txtSensor3;
    c.lbln = lbln;
    c.txtChannel = txtChannel;
    c.lblmm = lblmm;
    c.lblTemp = lblTemp;
    c.txtChannelT = txtChannelT;
    c.Label47 = Label47;
    c.lblError = lblError;
    return c;
}

sensors::FilterControls MainControls::filterControls() const {
    sensors::FilterControls c;
    c.txtFilterType = txtFilterType;
    c.txtFilterLevel = txtFilterLevel;
    c.txtFilterLocation = txtFilterLocation;
    c.txtStartDate = txtStartDate;
    c.txtEndDate = txtEndDate;
    c.chkDontShowDestroyed = chkDontShowDestroyed;
    c.imgFilter = imgFilter;
    c.lblFilterState = lblFilterState;
    c.lblFilter = lblFilter;
    c.imgApplyFilter = imgApplyFilter;
    c.imgRemoveFilter = imgRemoveFilter;
    return c;
}

readings::ReadingControls MainControls::readingControls() const {
    readings::ReadingControls c;
    c.SSTab1 = SSTab1;
    c.txtReadingID = txtReadingID;
    c.dtpRdate = dtpRdate;
    c.dtpRtime = dtpRtime;
    c.txtChannel = txtChannel;
    c.txtChannelT = txtChannelT;
    c.chkTemporal = chkTemporal;
    c.chkSpatial = chkSpatial;
    c.lblError = lblError;
    c.txtRcount = txtRcount;
    c.imgFirst = imgFirst;
    c.imgPrevData = imgPrevData;
    c.imgNextData = imgNextData;
    c.imgLast = imgLast;
    c.imgAddReading = imgAddReading;
    c.imgDeleteReading = imgDeleteReading;
    return c;
}

importer::ImportControls MainControls::importControls() const {
    importer::ImportControls c;
    c.SSTab1 = SSTab1;
    c.imgAddTroveData = imgAddTroveData;
    c.cboTroveInt = cboTroveInt;
    return c;
}

graphs::GraphControls MainControls::graphControls() const {
    graphs::GraphControls c;
    c.SSTab1 = SSTab1;
    c.ChartT = ChartT;
    c.lblscale = lblscale;
    c.cboScale = cboScale;
    c.cmdTHelp = cmdTHelp;
    c.cmdTemp = cmdTemp;
    c.ChartS = ChartS;
    c.lblW15 = lblW15;
    c.cmdDvl = cmdDvl;
    return c;
}

outputs::ReportControls MainControls::reportControls() const {
    outputs::ReportControls c;
    c.SSTab1 = SSTab1;
    c.imgReport = imgReport;
    c.ChartT = ChartT;
    c.ChartS = ChartS;
    return c;
}

maintenance::BackupControls MainControls::backupControls() const {
    maintenance::BackupControls c;
    c.lstFiles = lstFiles;
    c.imgBackup = imgBackup;
    c.imgRestore = imgRestore;
    return c;
}

} // namespace app
