#include "ui/tcp_search_form.h"

#include <algorithm>

#include "actions/network_actions.h"
#include "platform/system_error.h"

namespace lumo {
namespace {

TcpSearchForm::Row listRow(const SearchRow& r) {
    TcpSearchForm::Row row{{searchTypeText(r), r.serial, searchMacText(r), r.ip}, r.sameMac, r.sameIp, {}};
    if (r.sameIp || r.sameMac) row.tip = "Stejnou adresu má i jiné zařízení v seznamu";
    return row;
}

}  // namespace

void TcpSearchForm::open() { platform::setLastSystemError(0); }

void TcpSearchForm::pressSearch() {
    list.clear();
    search.enabled = save.enabled = false;
    *searching_ = true;
    if (showNow) showNow();
    searchTcpDevices(
        wideMask, rows_, 10000,
        [this](const SearchRow& r) {
            if (arrived) arrived(listRow(r));
        },
        [searching = searching_] { return searching->load(); });
    *searching_ = false;
    for (const SearchRow& r : rows_) list.push_back(listRow(r));
    search.enabled = save.enabled = true;
}

void TcpSearchForm::pressSave() { saved_ += std::max(0, saveSearchRows(rows_)); }

}  // namespace lumo
