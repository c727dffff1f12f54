// Scanners and Photoshop-format plug-in discovery.
#include "drovane.h"
#include "exports/guarded.h"
#include "io/plugins/plugin_list.h"
#include "io/scanner.h"

using namespace dro;

extern "C" {

DRO_API int32_t DRO_CALL DRO_IsTwain(void) { return isScannerAvailable(); }
DRO_API int32_t DRO_CALL DRO_TwainSelectSource(void) { return selectScannerSource(); }
DRO_API int32_t DRO_CALL DRO_TwainAcquire(void) {
    return guarded("TwainAcquire Excpt", 0, [] { return acquireIntoNewRgba(); });
}
DRO_API int32_t DRO_CALL DRO_PhotoshopPluginScan(const char* folder) {
    return guarded("PhotoshopPluginScan_cb Excpt", 0, [&] { return scanPhotoshopPlugins(folder); });
}
DRO_API const char* DRO_CALL DRO_PhotoshopPluginNextName(void) { return nextPluginName(); }

}  // extern "C"
