#pragma once

// The old-format library's C header. It opens an extern "C" block around its
// own includes, glib among them, whose C++ parts cannot live in one; these
// are included first, so that the block only holds the library's own names.
#include <glib.h>
#include <iconv.h>
#include <locale.h>

#include <mdbtools.h>
