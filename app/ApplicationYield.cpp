#include "ApplicationYield.h"

#include "ui/Application.h"

void TApplicationYield::ProcessMessages() { ui::Application().ProcessMessages(); }
