#pragma once
// "Vyhledání USB zařízení" as a form: the bridges present listed by "Spustit hledání", the list
// saved as lines by "Uložit".

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "discovery/usb_search.h"
#include "ui/form_field.h"

namespace lumo {

class UsbSearchForm {
public:
    void open();
    // "Spustit hledání": the list emptied and shown so, then the bridges present
    // (searchUsbDevices, which says so when it finds none).
    void pressSearch();
    // "Uložit": the rows listed become lines (saveUsbRows), and the list is emptied.
    void pressSave();
    // "Zavřít", and the window closed otherwise: 1 when lines were made.
    int pressClose() const { return saved_ > 0 ? 1 : 0; }

    // The window's way of showing the form at once (before the search).
    std::function<void()> showNow;

    std::vector<std::array<std::string, 4>> list;  // "Typ", "výrobní číslo", "VID/PID", "COM"

private:
    std::vector<UsbRow> rows_;
    int saved_ = 0;
};

}  // namespace lumo
