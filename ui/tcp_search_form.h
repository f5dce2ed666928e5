#pragma once
// "Vyhledání TCP zařízení" as a form: the device servers that answer the search ("Maska
// podsítě" 255.255.255.0 or 255.255.0.0), newest first, saved as lines by "Uložit" in the order
// they answered.

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "discovery/tcp_search.h"
#include "ui/form_field.h"

namespace lumo {

class TcpSearchForm {
public:
    // A row of the list: "Typ", "výrobní číslo", "MAC adresa", "IP adresa". An address another
    // row also has (a fault on site) is marked, and the row says why.
    struct Row {
        std::array<std::string, 4> texts;
        bool sameMac = false, sameIp = false;
        std::string tip;
    };

    void open();
    // "Spustit hledání": the list emptied and the buttons disabled while the search runs (shown
    // at once); each answer goes to `arrived` as it comes. Then the whole list, the doubled
    // addresses marked, and the buttons enabled again.
    void pressSearch();
    // The window closing ends a search that runs.
    void stop() { *searching_ = false; }
    // "Uložit": the rows become lines (saveSearchRows).
    void pressSave();
    // "Zavřít", and the window closed otherwise: 1 when lines were made.
    int pressClose() const { return saved_ > 0 ? 1 : 0; }

    // The window's ways of showing the form at once, and of showing an answer at the top of the
    // list as it comes: called on the search's thread, not the window's.
    std::function<void()> showNow;
    std::function<void(const Row&)> arrived;

    bool wideMask = false;  // 255.255.0.0
    FormField search{"Spustit hledání"}, save{"Uložit"};
    std::vector<Row> list;

private:
    std::vector<SearchRow> rows_;
    std::shared_ptr<std::atomic<bool>> searching_ = std::make_shared<std::atomic<bool>>(false);
    int saved_ = 0;
};

}  // namespace lumo
