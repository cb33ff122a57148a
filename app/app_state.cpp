#include "app/app_state.h"

std::string ProgramDirectory;
bool LowColourMode = false;
std::uint8_t CurrentView = NoView;
