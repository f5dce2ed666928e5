#pragma once
// The order of list rows sorted by a column: by their item values, signed; a row without a value
// (0) goes after the other.

#include <cstdint>

namespace lumo {

int compareListValues(std::int32_t a, std::int32_t b);

}  // namespace lumo
