#include "ui/list_compare.h"

namespace lumo {

int compareListValues(std::int32_t a, std::int32_t b) {
    // A row without a value ranks after every row with one, and alike with another such row.
    if (a == 0 || b == 0) return (a == 0) - (b == 0);
    return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace lumo
