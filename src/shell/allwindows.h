#pragma once

// Registers every window of the program with the WindowRegistry by its name.
void registerAllWindows();
