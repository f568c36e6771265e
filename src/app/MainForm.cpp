#include "app/MainForm.hpp"
