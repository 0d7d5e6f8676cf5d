#include "display/tray.h"

const char* TrayStartupTip(bool monitorUnavailable) {
    return monitorUnavailable ? "Tsutsuri [CPU使用率：不明]" : "Tsutsuri";
}
