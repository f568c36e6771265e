#include "builders/Bytes.hpp"
