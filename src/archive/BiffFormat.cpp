#include "archive/BiffFormat.hpp"
// PLACEHOLDER: being written
