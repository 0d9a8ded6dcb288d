#pragma once

#include "cli_runner.h"
#include "test_files.h"
