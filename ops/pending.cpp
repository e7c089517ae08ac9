// Temporary: operation handlers not written yet (removed as each lands).
#include "app/frm_module.h"

void TfrmModule::btnScanClick() {}
void TfrmModule::btnSetDateClick() {}
void TfrmModule::btnAlarmClick() {}
void TfrmModule::btnSetCardClick() {}
void TfrmModule::btnFactoryClick() {}
void TfrmModule::btnBaudRateClick() {}
void TfrmModule::btnDIDOClick() {}
void TfrmModule::btnCommandClick() {}
void TfrmModule::btnProcessClick() {}
void TfrmModule::PumpWait(int, int) {}
void TfrmModule::RunDIDOLoop() {}
