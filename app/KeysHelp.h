// The reader's keys and mouse actions as the Help menu's "Keys" box lists
// them; the README carries the same list.
#pragma once

const char* KeysHelpText();
