#include "ui/list_compare.h"

namespace lumo {

int compareListValues(std::int32_t a, std::int32_t b) {
    if (a == 0 || b == 0) return 1;
    return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace lumo
