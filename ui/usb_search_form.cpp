#include "ui/usb_search_form.h"

#include <algorithm>

#include "actions/usb_actions.h"
#include "platform/system_error.h"

namespace lumo {

void UsbSearchForm::open() { platform::setLastSystemError(0); }

void UsbSearchForm::pressSearch() {
    list.clear();
    if (showNow) showNow();
    rows_ = searchUsbDevices();
    for (const UsbRow& r : rows_) list.push_back({usbTypeText(r), r.serial, usbVidPidText(r), r.com});
}

void UsbSearchForm::pressSave() {
    saved_ += std::max(0, saveUsbRows(rows_));
    rows_.clear();
    list.clear();
}

}  // namespace lumo
