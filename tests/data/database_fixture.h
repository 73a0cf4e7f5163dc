#pragma once

// The connection tests name the database fixture by its old place.
#include "fixtures/database_fixture.h"
