#include "ui/register_form.h"

#include <algorithm>

#include "model/cp1250.h"
#include "ui/list_compare.h"

namespace lumo {
namespace {

constexpr std::size_t kMostPickedText = 98;  // of each column of the row picked

}  // namespace

RegisterForm::RegisterForm() {
    file.readOnly = true;
    columns = {"výrobní číslo     ", "datum výroby ", "typ zařízení         ", "poznámka "};
}

bool RegisterForm::open(int typeCode) {
    std::vector<RegisterRow> read;
    if (!registerRows(typeCode, read)) {
        reportRegisterFailure();
        return false;
    }
    file.text = registerFileName(typeCode);
    rows.clear();
    for (auto r = read.rbegin(); r != read.rend(); ++r)
        rows.push_back(Row{{r->serial, r->date, r->model, r->rest}, registerLineSequence(r->serial), false});
    current = -1;
    return true;
}

void RegisterForm::pressColumn(int) {
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return compareListValues(rows[a].value, rows[b].value) < 0; });
    std::vector<Row> sorted;
    int sortedCurrent = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (static_cast<int>(order[i]) == current) sortedCurrent = static_cast<int>(i);
        sorted.push_back(std::move(rows[order[i]]));
    }
    rows = std::move(sorted);
    current = sortedCurrent;
}

int RegisterForm::pressOk() {
    if (current < 0 || static_cast<std::size_t>(current) >= rows.size()) return kFormStaysOpen;
    const auto& texts = rows[static_cast<std::size_t>(current)].texts;
    RegisterRow picked;
    std::string* parts[] = {&picked.serial, &picked.date, &picked.model, &picked.rest};
    for (std::size_t c = 0; c < 4 && c < texts.size(); ++c) *parts[c] = utf8Prefix(texts[c], kMostPickedText);
    chosen = registerChoiceOf(picked);
    return 1;
}

}  // namespace lumo
