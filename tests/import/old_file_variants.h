#pragma once

// The import tests name the old-format test file's fixture by its old place.
#include "fixtures/old_file_variants.h"
