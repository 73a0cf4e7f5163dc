#pragma once

#include <QCollator>

namespace hv {

// The order in which the program lists texts for the user: the collation of
// the user's locale, without regard to case, with numbers within texts
// compared by value ("Item 9" before "Item 10"). The C locale has no
// collation of its own (Qt would compare code points, digit by digit), so it
// takes the common one that needs no language.
QCollator userCollator();

}  // namespace hv
