#include "app/InputTypes.hpp"
