#pragma once
// The order of list rows sorted by a column: by their item values, signed; rows without a value
// (0) go after all the others and keep their order among themselves. A strict weak order, so
// that a sort by it is defined.

#include <cstdint>

namespace lumo {

// -1 when `a` goes before `b`, 1 when after, 0 when they rank alike.
int compareListValues(std::int32_t a, std::int32_t b);

}  // namespace lumo
